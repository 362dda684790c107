#pragma once
// The flights inside one track: sustained flying speed starts one, a while at rest ends it.

#include <cstddef>
#include <vector>

#include "flight/flight_rules.h"
#include "log/fix_types.h"
#include "log/track_points.h"

namespace kav::flight {

struct Flight {
    std::size_t takeoff = 0;  // log index of the take-off fix
    std::size_t landing = 0;  // log index of the landing fix (the track's last when none)
    kav::log::DateTime takeoffTime = 0;
    kav::log::DateTime landingTime = 0;
};

// The flights of a converted track whose first fix has log index firstIndex, in time order.
std::vector<Flight> findFlights(const kav::log::ConvertedTrack& track, std::size_t firstIndex,
                                const FlightRules& rules = {});

}  // namespace kav::flight
