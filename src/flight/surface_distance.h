#pragma once
// Distances on the WGS84 ellipsoid for scoring and statistics. A point is placed on the
// ellipsoid's surface in Earth-centred coordinates (km); the distance between two points is the
// arc over their chord on a sphere of the ellipsoid's Gaussian radius at the flight's latitude.
// For lines up to 1000 km it is within a few millimetres per 100 km of the geodesic, and being
// a monotone function of a Euclidean chord it allows exact bounds for the route search.

#include <array>
#include <span>

#include "flight/flight_fix.h"

namespace kav::flight {

using Vec3 = std::array<double, 3>;

// The point on the WGS84 ellipsoid below (lat, lon) in degrees, in km from the Earth's centre.
Vec3 surfacePoint(double lat, double lon);

double chordKm(const Vec3& a, const Vec3& b);

class SurfaceDistance {
  public:
    // The Gaussian radius sqrt(M N) of the ellipsoid at latitude lat (degrees).
    explicit SurfaceDistance(double lat);
    // The mid-latitude of fixes (0 when there are none).
    static SurfaceDistance around(std::span<const FlightFix> fixes);

    // The arc in km over a chord of chord km.
    double arcKm(double chord) const;
    double km(const Vec3& a, const Vec3& b) const { return arcKm(chordKm(a, b)); }
    double km(const FlightFix& a, const FlightFix& b) const;

  private:
    double radius_;  // km
};

}  // namespace kav::flight
