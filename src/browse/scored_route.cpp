#include "browse/scored_route.h"

namespace kav::browse {

ScoredRoute routeOf(const kav::flight::FlightScore& score) {
    ScoredRoute route;
    for (const kav::flight::ScorePoint& p : score.turnpoints)
        route.turnpoints.push_back({p.fix.lon, p.fix.lat});
    route.triangle = score.closingStart.has_value();
    if (score.closingStart && score.closingEnd)
        route.closing = {{score.closingStart->fix.lon, score.closingStart->fix.lat},
                         {score.closingEnd->fix.lon, score.closingEnd->fix.lat}};
    return route;
}

}  // namespace kav::browse
