#pragma once
// The flights of a whole log: per track, numbered per UTC day, and the fixes saved for each.

#include <cstddef>
#include <vector>

#include "flight/flight_detector.h"
#include "flight/flight_fix.h"
#include "log/track_list.h"

namespace kav::flight {

// The flights of each track of log, in track order.
std::vector<std::vector<Flight>> findLogFlights(const kav::log::LogCollection& log,
                                                const FlightRules& rules = {});

// The number of flight k of track among the log's flights whose take-off has the same UTC
// date, from 1.
int flightOfDay(const std::vector<std::vector<Flight>>& flights, std::size_t track, std::size_t k);

// A minute before take-off and after landing: room for the launch run and the flare.
inline constexpr double kSavedMarginSeconds = 60;

struct FixRange {
    std::size_t first = 0, last = 0;  // log indices, last included
};

// The fixes saved for a flight: from kSavedMarginSeconds before take-off to as long after
// landing, clipped to the track.
FixRange savedFixes(const kav::log::LogData& log, const kav::log::Track& track,
                    const Flight& flight);

// The fixes of flight from take-off to landing, as scoring and statistics read them.
std::vector<FlightFix> flightFixes(const kav::log::LogData& log, const Flight& flight);

// Take-off to landing in whole seconds.
long long flightSeconds(const Flight& flight);

}  // namespace kav::flight
