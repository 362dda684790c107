#pragma once
// The turnpoints of a flight's score as named points to show beside its track in a file. The
// file's own placemark type is the caller's: any aggregate of name, lat, lon, height.

#include <vector>

#include <QString>

#include "flight/flight_score.h"

namespace kav::flight {

struct NamedFix {
    QString name;
    FlightFix fix;
};

// "start", "turnpoint 1", ..., "finish" for free distance; the three turnpoints and the two
// closing points for a triangle.
std::vector<NamedFix> scoreMarks(const FlightScore& score);
// "FAI triangle 21.15 km, 33.83 points (xcontest)": the placemarks' folder.
QString scoreFolderName(const FlightScore& score);

template <typename Placemark>
std::vector<Placemark> scorePlacemarks(const FlightScore& score) {
    std::vector<Placemark> marks;
    for (const NamedFix& m : scoreMarks(score))
        marks.push_back(Placemark{m.name, m.fix.lat, m.fix.lon, m.fix.height});
    return marks;
}

}  // namespace kav::flight
