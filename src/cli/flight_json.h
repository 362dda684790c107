#pragma once
// A flight's score and statistics as JSON objects, fields in reading order.

#include <QString>

#include "flight/flight_score.h"
#include "flight/flight_stats.h"

namespace kav::cli {

// {"rules", "type", "km", "points", "factor", "upper" (no route scores more), "turnpoints":
// [{"time", "lat", "lon", "height_m"}], and for
// triangles "perimeter_km", "closing_km", "closing": [start, end]}.
QString scoreJson(const kav::flight::FlightScore& score);
// {"duration_s", "takeoff": {...}, "landing": {...}, "max_height_m", "height_gain_m", ...}.
QString statsJson(const kav::flight::FlightStats& stats);

}  // namespace kav::cli
