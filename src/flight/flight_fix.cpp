#include "flight/flight_fix.h"

#include <algorithm>

namespace kav::flight {

std::vector<FlightFix> flightFixes(const kav::log::ConvertedTrack& track, std::size_t first,
                                   std::size_t last) {
    std::vector<FlightFix> fixes;
    const std::size_t end = std::min(last + 1, track.points.size());
    for (std::size_t i = first; i < end; ++i) {
        const kav::log::TDataGAC& p = track.points[i];
        fixes.push_back({track.times[i], p.xLat, p.xLong, p.xHeight});
    }
    return fixes;
}

}  // namespace kav::flight
