#pragma once
// What a pilot asks of a flight besides its score: how long, how high, how fast, how far.

#include <span>

#include "flight/flight_fix.h"

namespace kav::flight {

struct FlightStats {
    double durationSeconds = 0;
    FlightFix takeoff;      // the first fix of the flight
    FlightFix landing;      // its last fix
    double maxHeight = 0;   // metres
    double minHeight = 0;   // metres
    double heightGain = 0;  // metres: the largest rise from a low point to a later high point
    double maxClimb = 0;    // m/s between two fixes at least 1 s apart (positive)
    double maxSink = 0;     // m/s, the same downwards (positive)
    double maxClimb5s = 0;  // m/s averaged over 5 s
    double maxSink5s = 0;   // m/s averaged over 5 s (positive)
    double trackKm = 0;     // along the fixes
    double straightKm = 0;  // take-off to landing
    double averageKmh = 0;  // trackKm over the duration
    double maxKmh = 0;      // ground speed between fixes 5 s apart
};

// The statistics of a flight's fixes, in time order; all zero for fewer than two fixes.
FlightStats flightStats(std::span<const FlightFix> fixes);

}  // namespace kav::flight
