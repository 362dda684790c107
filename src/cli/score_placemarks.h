#pragma once
// The turnpoints of a flight's score as KML placemarks beside its track.

#include <vector>

#include "export/kml_writer.h"
#include "flight/flight_score.h"

namespace kav::cli {

// "start", "turnpoint 1", ..., "finish" for free distance; the three turnpoints and the two
// closing points for a triangle.
std::vector<kav::exporting::KmlPlacemark> scorePlacemarks(const kav::flight::FlightScore& score);
// "FAI triangle 21.15 km, 33.83 points (xcontest)": the placemarks' folder.
QString scoreFolderName(const kav::flight::FlightScore& score);

}  // namespace kav::cli
