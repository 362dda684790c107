#include "flight/flight_detector.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kav::flight {

namespace {

using kav::log::ConvertedTrack;
using kav::log::TDataGAC;

constexpr double kSecondsPerDay = 86400;
constexpr double kEarthRadius = 6371000;  // m, mean radius: ample for distances of metres
constexpr double kRadiansPerDegree = std::numbers::pi / 180;
constexpr double kMetresPerSecondPerTenthKnot = 1852.0 / 36000.0;
// The quantiles that bound a height spread, so single-fix jumps do not widen it.
constexpr double kLowQuantile = 0.1;
constexpr double kHighQuantile = 0.9;

double metresBetween(const TDataGAC& a, const TDataGAC& b) {
    const double north = (b.xLat - a.xLat) * kRadiansPerDegree;
    const double east = (b.xLong - a.xLong) * kRadiansPerDegree *
                        std::cos((a.xLat + b.xLat) / 2 * kRadiansPerDegree);
    return kEarthRadius * std::hypot(north, east);
}

// What each fix tells of the movement around it.
struct Motion {
    std::vector<double> seconds;  // time since the track's start
    std::vector<double> heights;  // metres
    std::vector<int> fastSoFar;   // fixes at flying speed before each index (prefix count)
    std::vector<int> restSoFar;   // fixes at rest before each index
    std::vector<bool> fast, rest;
};

// The first fix at least span seconds after fix i (the last fix when there is none): what
// follows a fix says whether it starts a flight or a rest.
std::size_t baselineEnd(const std::vector<double>& t, std::size_t i, std::size_t from,
                        double span) {
    from = std::max(from, i);
    while (from + 1 < t.size() && t[from] - t[i] < span) ++from;
    return from;
}

Motion motionOf(const ConvertedTrack& track, const FlightRules& rules) {
    const std::size_t n = track.points.size();
    Motion m;
    const bool recordsSpeed = std::any_of(track.points.begin(), track.points.end(),
                                          [](const TDataGAC& p) { return p.xSpeed > 0; });
    for (std::size_t i = 0; i < n; ++i) {
        m.seconds.push_back((track.times[i] - track.times[0]) * kSecondsPerDay);
        m.heights.push_back(track.points[i].xHeight);
    }
    m.fastSoFar.assign(n + 1, 0);
    m.restSoFar.assign(n + 1, 0);
    std::size_t s = 0, c = 0;
    for (std::size_t i = 0; i < n; ++i) {
        s = baselineEnd(m.seconds, i, s, rules.speedBaselineSeconds);
        c = baselineEnd(m.seconds, i, c, rules.climbBaselineSeconds);
        const double ds = m.seconds[s] - m.seconds[i], dc = m.seconds[c] - m.seconds[i];
        double speed = ds > 0 ? metresBetween(track.points[i], track.points[s]) / ds : 0;
        // The logger's own speed does not jump with a position; either alone may be wrong.
        if (recordsSpeed)
            speed = std::min(speed, track.points[i].xSpeed * kMetresPerSecondPerTenthKnot);
        const double climb = dc > 0 ? (m.heights[c] - m.heights[i]) / dc : 0;
        m.fast.push_back(speed >= rules.takeoffSpeed);
        m.rest.push_back(speed < rules.restSpeed && std::fabs(climb) < rules.restClimb);
        m.fastSoFar[i + 1] = m.fastSoFar[i] + int(m.fast.back());
        m.restSoFar[i + 1] = m.restSoFar[i] + int(m.rest.back());
    }
    return m;
}

// The height spread of fixes from..to (included) between the low and high quantiles.
double heightSpread(const std::vector<double>& heights, std::size_t from, std::size_t to) {
    std::vector<double> h(heights.begin() + std::ptrdiff_t(from),
                          heights.begin() + std::ptrdiff_t(to) + 1);
    const auto at = [&h](double q) {
        auto nth = h.begin() + std::ptrdiff_t(q * double(h.size() - 1));
        std::nth_element(h.begin(), nth, h.end());
        return *nth;
    };
    const double low = at(kLowQuantile);
    return at(kHighQuantile) - low;
}

class Detector {
  public:
    Detector(const ConvertedTrack& track, std::size_t firstIndex, const FlightRules& rules)
        : track_(track), first_(firstIndex), rules_(rules), m_(motionOf(track, rules)) {}

    std::vector<Flight> run() {
        const std::size_t n = m_.seconds.size();
        for (std::size_t i = 0; i < n; ++i) {
            if (!flying_ && takesOff(i)) {
                flying_ = true;
                takeoff_ = i;
                launchHeight_ = m_.heights[i];
            } else if (flying_ && lands(i)) {
                close(i);
            }
        }
        if (flying_) close(n - 1);
        return flights_;
    }

  private:
    // The last fix no more than span seconds after fix i.
    std::size_t windowEnd(std::size_t i, double span) const {
        const auto end = std::upper_bound(m_.seconds.begin() + std::ptrdiff_t(i), m_.seconds.end(),
                                          m_.seconds[i] + span);
        return std::size_t(end - m_.seconds.begin()) - 1;
    }
    bool mostly(const std::vector<int>& soFar, std::size_t from, std::size_t to) const {
        return soFar[to + 1] - soFar[from] >= rules_.windowShare * double(to - from + 1);
    }
    bool takesOff(std::size_t i) const {
        if (!m_.fast[i]) return false;
        const std::size_t e = windowEnd(i, rules_.takeoffSeconds);
        return m_.seconds[e] - m_.seconds[i] >= rules_.windowShare * rules_.takeoffSeconds &&
               mostly(m_.fastSoFar, i, e);
    }
    // At rest from fix i on for the landing time (or until the track ends).
    bool lands(std::size_t i) const {
        if (!m_.rest[i]) return false;
        const bool high = m_.heights[i] - launchHeight_ > rules_.highAboveLaunch;
        const std::size_t e =
            windowEnd(i, high ? rules_.highLandingSeconds : rules_.landingSeconds);
        return mostly(m_.restSoFar, i, e) &&
               heightSpread(m_.heights, i, e) <= rules_.restHeightRange;
    }
    // Keeps the flight that ends at fix landing when it climbed or sank like one.
    void close(std::size_t landing) {
        flying_ = false;
        if (landing <= takeoff_ ||
            heightSpread(m_.heights, takeoff_, landing) < rules_.minimumHeightRange)
            return;
        flights_.push_back(
            {first_ + takeoff_, first_ + landing, track_.times[takeoff_], track_.times[landing]});
    }

    const ConvertedTrack& track_;
    std::size_t first_;
    FlightRules rules_;
    Motion m_;
    bool flying_ = false;
    std::size_t takeoff_ = 0;
    double launchHeight_ = 0;
    std::vector<Flight> flights_;
};

}  // namespace

std::vector<Flight> findFlights(const ConvertedTrack& track, std::size_t firstIndex,
                                const FlightRules& rules) {
    if (track.points.empty() || track.points.size() != track.times.size()) return {};
    return Detector(track, firstIndex, rules).run();
}

}  // namespace kav::flight
