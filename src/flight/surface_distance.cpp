#include "flight/surface_distance.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kav::flight {

namespace {

constexpr double kA = 6378.137;  // WGS84 semi-major axis, km
constexpr double kF = 1 / 298.257223563;
constexpr double kE2 = kF * (2 - kF);
constexpr double kRadiansPerDegree = std::numbers::pi / 180;

}  // namespace

Vec3 surfacePoint(double lat, double lon) {
    const double phi = lat * kRadiansPerDegree, lambda = lon * kRadiansPerDegree;
    const double s = std::sin(phi), c = std::cos(phi);
    const double n = kA / std::sqrt(1 - kE2 * s * s);
    return {n * c * std::cos(lambda), n * c * std::sin(lambda), n * (1 - kE2) * s};
}

double chordKm(const Vec3& a, const Vec3& b) {
    return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

SurfaceDistance::SurfaceDistance(double lat) {
    const double s = std::sin(lat * kRadiansPerDegree);
    const double w = 1 - kE2 * s * s;
    radius_ = kA * std::sqrt(1 - kE2) / w;  // sqrt(M N) = a sqrt(1 - e2) / (1 - e2 sin2)
}

SurfaceDistance SurfaceDistance::around(std::span<const FlightFix> fixes) {
    if (fixes.empty()) return SurfaceDistance(0);
    const auto [low, high] =
        std::minmax_element(fixes.begin(), fixes.end(),
                            [](const FlightFix& a, const FlightFix& b) { return a.lat < b.lat; });
    return SurfaceDistance((low->lat + high->lat) / 2);
}

double SurfaceDistance::arcKm(double chord) const {
    return 2 * radius_ * std::asin(std::min(1.0, chord / (2 * radius_)));
}

double SurfaceDistance::km(const FlightFix& a, const FlightFix& b) const {
    return km(surfacePoint(a.lat, a.lon), surfacePoint(b.lat, b.lon));
}

}  // namespace kav::flight
