#include "day_builder.h"

#include <cmath>
#include <numbers>

#include "image_encoder.h"

namespace kav::sim {

namespace {

constexpr double kEarthRadius = 6371000.0;
constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kJumpMetres = 100.0;

}  // namespace

DayBuilder::DayBuilder(std::vector<log::TDataECEF>& out, uint16_t week, uint32_t tow, double lat,
                       double lon, double h)
    : out_(out), week_(week), tow_(tow), lat_(lat), lon_(lon), h_(h) {}

void DayBuilder::stand(int seconds) {
    for (int i = 0; i < seconds; ++i)
        move(0.6 * std::sin(i * 0.7), 0.6 * std::cos(i * 1.3), 0, false);
}

void DayBuilder::rest(int seconds, double wander, int jumpEvery) {
    for (int i = 0; i < seconds; ++i) {
        tow_ += 1 + pending_;
        pending_ = 0;
        // Slow, smooth drifts of the error on each axis, periods of several minutes.
        const double east = wander * std::sin(i / 97.0), north = wander * std::cos(i / 131.0);
        const double up = wander * std::sin(i / 173.0 + 1);
        const double jump = jumpEvery > 0 && i % jumpEvery == jumpEvery - 1 ? kJumpMetres : 0;
        record(lat_ + (north + jump) / kEarthRadius / kDegree,
               lon_ + east / (kEarthRadius * std::cos(lat_ * kDegree)) / kDegree, h_ + up, 0);
    }
}

void DayBuilder::glide(int seconds, double headingDeg, double speed, double sink) {
    const double e = speed * std::sin(headingDeg * kDegree);
    const double n = speed * std::cos(headingDeg * kDegree);
    for (int i = 0; i < seconds; ++i) move(e, n, -sink);
}

void DayBuilder::thermal(int seconds, double climb, double driftEast, double driftNorth) {
    constexpr double speed = 9.0, radius = 40.0;
    for (int i = 0; i < seconds; ++i) {
        angle_ += speed / radius;
        move(speed * std::cos(angle_) + driftEast, speed * std::sin(angle_) + driftNorth, climb);
    }
}

// Metres per second, covered over the whole interval unless the pilot stands still.
void DayBuilder::move(double east, double north, double up, bool overInterval) {
    const uint32_t dt = 1 + pending_;
    pending_ = 0;
    tow_ += dt;
    if (overInterval) east *= dt, north *= dt, up *= dt;
    lat_ += north / kEarthRadius / kDegree;
    lon_ += east / (kEarthRadius * std::cos(lat_ * kDegree)) / kDegree;
    h_ += up;
    record(lat_, lon_, h_, std::hypot(east, north) / dt * 3.6);
}

void DayBuilder::record(double lat, double lon, double h, double kmh) {
    const Ecef p = geodeticToEcef(lat, lon, h);
    out_.push_back({week_, tow_, std::llround(p.x), std::llround(p.y), std::llround(p.z),
                    uint16_t(std::lround(kmh))});
}

}  // namespace kav::sim
