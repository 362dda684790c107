#include "flight/flight_stats.h"

#include <algorithm>
#include <limits>

#include "flight/surface_distance.h"

namespace kav::flight {

namespace {

constexpr double kSecondsPerDay = 86400;
// Climb, sink and ground speed are taken between a fix and the first fix at least this long
// after it: GPS fixes a second apart, or two fixes stamped the same second, say nothing alone.
constexpr double kShortSpan = 1;    // s
constexpr double kAverageSpan = 5;  // s

double secondsBetween(const FlightFix& a, const FlightFix& b) {
    return (b.time - a.time) * kSecondsPerDay;
}

struct Rates {
    double climb = 0, sink = 0, kmh = 0;
};

// The steepest climb and sink, and the fastest ground speed, between each fix and the first fix
// at least span seconds after it.
Rates ratesOver(std::span<const FlightFix> fixes, const SurfaceDistance& distance, double span) {
    Rates r;
    std::size_t j = 0;
    for (std::size_t i = 0; i < fixes.size(); ++i) {
        j = std::max(j, i + 1);
        while (j < fixes.size() && secondsBetween(fixes[i], fixes[j]) < span) ++j;
        if (j >= fixes.size()) break;
        const double dt = secondsBetween(fixes[i], fixes[j]);
        const double vertical = (fixes[j].height - fixes[i].height) / dt;
        r.climb = std::max(r.climb, vertical);
        r.sink = std::max(r.sink, -vertical);
        r.kmh = std::max(r.kmh, distance.km(fixes[i], fixes[j]) / dt * 3600);
    }
    return r;
}

}  // namespace

FlightStats flightStats(std::span<const FlightFix> fixes) {
    FlightStats s;
    if (fixes.size() < 2) return s;
    const SurfaceDistance distance = SurfaceDistance::around(fixes);
    s.takeoff = fixes.front();
    s.landing = fixes.back();
    s.durationSeconds = secondsBetween(s.takeoff, s.landing);
    s.maxHeight = -std::numeric_limits<double>::infinity();
    s.minHeight = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < fixes.size(); ++i) {
        s.minHeight = std::min(s.minHeight, fixes[i].height);
        s.heightGain = std::max(s.heightGain, fixes[i].height - s.minHeight);
        s.maxHeight = std::max(s.maxHeight, fixes[i].height);
        if (i > 0) s.trackKm += distance.km(fixes[i - 1], fixes[i]);
    }
    s.straightKm = distance.km(s.takeoff, s.landing);
    if (s.durationSeconds > 0) s.averageKmh = s.trackKm / s.durationSeconds * 3600;
    const Rates shortRates = ratesOver(fixes, distance, kShortSpan);
    const Rates averaged = ratesOver(fixes, distance, kAverageSpan);
    s.maxClimb = shortRates.climb;
    s.maxSink = shortRates.sink;
    // Over 5 s: a metre of noise on fixes a second apart would read as 7 km/h.
    s.maxKmh = averaged.kmh;
    s.maxClimb5s = averaged.climb;
    s.maxSink5s = averaged.sink;
    return s;
}

}  // namespace kav::flight
