#pragma once
// A flight's scored route as the chart draws it: the turnpoints joined in order (a triangle's
// three closed), and the gap between a triangle's closing points.

#include <vector>

#include "browse/chart_view.h"
#include "flight/flight_score.h"

namespace kav::browse {

struct ScoredRoute {
    std::vector<LongLat> turnpoints;
    bool triangle = false;
    std::vector<LongLat> closing;  // the two closing points of a triangle, or none
};

ScoredRoute routeOf(const kav::flight::FlightScore& score);

}  // namespace kav::browse
