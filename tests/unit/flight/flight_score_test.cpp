// Scores of flights whose best route is known by construction, a long flight checked against a
// search of every route on a thinned copy, and distances against the ellipsoid's own arcs.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "flight/flight_score.h"
#include "flight/route_search.h"
#include "flight/score_rules.h"
#include "flight/surface_distance.h"
#include "flight/triangle_rules.h"
#include "synthetic_flight.h"

namespace kav::flight {
namespace {

using testing::Course;
using testing::FlightShape;

// The length of the meridian arc between two latitudes, integrated (Simpson) from the
// ellipsoid's meridional radius: the geodesic between points of one meridian.
double meridianKm(double lat1, double lat2) {
    constexpr double a = 6378.137, f = 1 / 298.257223563, e2 = f * (2 - f);
    constexpr int steps = 2000;
    const double p1 = lat1 * std::numbers::pi / 180, p2 = lat2 * std::numbers::pi / 180;
    const auto m = [&](double p) {
        return a * (1 - e2) / std::pow(1 - e2 * std::sin(p) * std::sin(p), 1.5);
    };
    const double h = (p2 - p1) / steps;
    double sum = m(p1) + m(p2);
    for (int i = 1; i < steps; ++i) sum += m(p1 + i * h) * (i % 2 ? 4 : 2);
    return sum * h / 3;
}

// Vincenty's inverse formula on WGS84 (accurate to a millimetre): the reference for lines
// neither along a meridian nor along the equator.
double vincentyKm(double lat1, double lon1, double lat2, double lon2) {
    constexpr double a = 6378.137, f = 1 / 298.257223563, b = a * (1 - f);
    constexpr double rad = std::numbers::pi / 180;
    const double u1 = std::atan((1 - f) * std::tan(lat1 * rad));
    const double u2 = std::atan((1 - f) * std::tan(lat2 * rad));
    const double l = (lon2 - lon1) * rad;
    double lambda = l, sigma = 0, sinSigma = 0, cosSigma = 0, cos2Alpha = 0, cos2Sm = 0;
    for (int i = 0; i < 200; ++i) {
        const double sinL = std::sin(lambda), cosL = std::cos(lambda);
        sinSigma = std::hypot(std::cos(u2) * sinL,
                              std::cos(u1) * std::sin(u2) - std::sin(u1) * std::cos(u2) * cosL);
        cosSigma = std::sin(u1) * std::sin(u2) + std::cos(u1) * std::cos(u2) * cosL;
        sigma = std::atan2(sinSigma, cosSigma);
        const double sinAlpha = std::cos(u1) * std::cos(u2) * sinL / sinSigma;
        cos2Alpha = 1 - sinAlpha * sinAlpha;
        cos2Sm = cosSigma - 2 * std::sin(u1) * std::sin(u2) / cos2Alpha;
        const double c = f / 16 * cos2Alpha * (4 + f * (4 - 3 * cos2Alpha));
        const double next =
            l + (1 - c) * f * sinAlpha *
                    (sigma + c * sinSigma * (cos2Sm + c * cosSigma * (-1 + 2 * cos2Sm * cos2Sm)));
        if (std::fabs(next - lambda) < 1e-13) break;
        lambda = next;
    }
    const double uu = cos2Alpha * (a * a - b * b) / (b * b);
    const double k1 = 1 + uu / 16384 * (4096 + uu * (-768 + uu * (320 - 175 * uu)));
    const double k2 = uu / 1024 * (256 + uu * (-128 + uu * (74 - 47 * uu)));
    const double dSigma = k2 * sinSigma *
                          (cos2Sm + k2 / 4 *
                                        (cosSigma * (-1 + 2 * cos2Sm * cos2Sm) -
                                         k2 / 6 * cos2Sm * (-3 + 4 * sinSigma * sinSigma) *
                                             (-3 + 4 * cos2Sm * cos2Sm)));
    return b * k1 * (sigma - dSigma);
}

TEST(SurfaceDistance, WithinAMillionthOfTheEllipsoid) {
    struct Row {
        double lat1, lon1, lat2, lon2, km;
    };
    const Row rows[] = {
        {45, 6, 46, 6, meridianKm(45, 46)},
        {44, 6, 47, 6, meridianKm(44, 47)},
        {-10, 20, -7.5, 20, meridianKm(-10, -7.5)},
        {0, 0, 0, 2, 6378.137 * 2 * std::numbers::pi / 180},  // the equator is a geodesic
        {45.8, 6.2, 46.9, 7.9, vincentyKm(45.8, 6.2, 46.9, 7.9)},
        {-33.5, -70.2, -35.1, -67.4, vincentyKm(-33.5, -70.2, -35.1, -67.4)},
        {64.1, -21.9, 65.7, -18.1, vincentyKm(64.1, -21.9, 65.7, -18.1)},
        {10.2, 100.1, 12.9, 102.8, vincentyKm(10.2, 100.1, 12.9, 102.8)},
    };
    for (const Row& r : rows) {
        const double km = SurfaceDistance((r.lat1 + r.lat2) / 2)
                              .km(surfacePoint(r.lat1, r.lon1), surfacePoint(r.lat2, r.lon2));
        EXPECT_NEAR(km / r.km, 1, 1e-6) << r.lat1 << " " << r.lon1;
    }
}

struct ScoreCase {
    const char* name;
    std::vector<Course> courses;
    ScoreRules rules;
    ScoreType type;
    double km;  // expected, to within the noise-free track's own error
};

// An equilateral triangle of 10 km sides flown from its first corner, back to the start.
const std::vector<Course> kFai = {{90, 10}, {210, 10}, {330, 10}};
// 10, 10 and about 3.5 km: its shortest side is 15 % of the perimeter.
const std::vector<Course> kFlat = {{80, 10}, {240, 10}, {340, 3.473}};

const ScoreCase kCases[] = {
    {"StraightLine", {{45, 20}}, ScoreRules::XContest, ScoreType::FreeDistance, 20},
    {"OutAndReturn", {{0, 12}, {180, 12}}, ScoreRules::XContest, ScoreType::ClosedFlatTriangle, 24},
    {"FaiTriangle", kFai, ScoreRules::XContest, ScoreType::ClosedFaiTriangle, 30},
    {"FlatTriangleShortSide", kFlat, ScoreRules::XContest, ScoreType::ClosedFlatTriangle, 23.473},
    // Ends 7 km from its start (23 % of the perimeter): no triangle; three legs of free distance.
    {"TriangleNotClosed",
     {{90, 10}, {210, 10}, {330, 3}},
     ScoreRules::XContest,
     ScoreType::FreeDistance,
     23},
    // Ends 2 km short (7 %): an open FAI triangle, the gap taken off.
    {"FaiTriangleOpen",
     {{90, 10}, {210, 10}, {330, 8}},
     ScoreRules::XContest,
     ScoreType::FaiTriangle,
     28},
    {"FfvlFaiTriangle", kFai, ScoreRules::Ffvl, ScoreType::FaiTriangle, 30},
    // 4 km apart at the ends: beyond the league's 3 km, so free distance.
    {"FfvlNotClosed",
     {{90, 10}, {210, 10}, {330, 6}},
     ScoreRules::Ffvl,
     ScoreType::FreeDistance,
     26},
};

TEST(FlightScore, RoutesKnownByConstruction) {
    for (const ScoreCase& c : kCases) {
        const std::vector<FlightFix> fixes = testing::flyCourses(c.courses, FlightShape{});
        const FlightScore s = scoreFlight(fixes, c.rules);
        EXPECT_EQ(s.type, c.type) << c.name << ": " << scoreTypeName(s.type).toStdString();
        // The courses are drawn on a local flat map: a few metres per 10 km off the ellipsoid.
        EXPECT_NEAR(s.km, c.km, 0.02 * c.km / 10) << c.name;
        EXPECT_NEAR(s.points, s.km * s.factor, 1e-9) << c.name;
        EXPECT_LE(s.points, s.upperPoints + 1e-12) << c.name;
        EXPECT_LE(s.upperPoints - s.points, 2 * kRouteTolerance) << c.name;
        EXPECT_TRUE(s.proven) << c.name;
    }
}

// Every route of five fixes in time order, by brute force.
double bruteForce(std::span<const FlightFix> fixes, ScoreRules rules) {
    const SurfaceDistance d = SurfaceDistance::around(fixes);
    const std::size_t n = fixes.size();
    double best = 0;
    for (std::size_t a = 0; a < n; ++a)
        for (std::size_t b = a; b < n; ++b)
            for (std::size_t c = b; c < n; ++c)
                for (std::size_t e = c; e < n; ++e) {
                    const double abc = d.km(fixes[a], fixes[b]) + d.km(fixes[b], fixes[c]);
                    const double sides[] = {d.km(fixes[b], fixes[c]), d.km(fixes[c], fixes[e]),
                                            d.km(fixes[e], fixes[b])};
                    for (std::size_t f = e; f < n; ++f) {
                        best = std::max(best,
                                        abc + d.km(fixes[c], fixes[e]) + d.km(fixes[e], fixes[f]));
                        // a .. f close the triangle b, c, e.
                        if (closesAtEnds(rules) && (a != 0 || f != n - 1)) continue;
                        const std::array<double, 3> s{sides[0], sides[1], sides[2]};
                        best = std::max(
                            best, bestTriangleRule(s, s, s[0] + s[1] + s[2],
                                                   d.km(fixes[a], fixes[f]), triangleRules(rules))
                                      .points);
                    }
                }
    return best;
}

// Each flight is cut to every step-th fix of its first `take` (and its last of them): a loop
// thinned, straight glides thinned (near-ties between whole runs of turnpoints), and a short
// dense run of a noisy glide, where the noise makes the ties.
struct ThinnedCase {
    const char* name;
    std::vector<FlightFix> flight;
    std::size_t take, step;
};

TEST(FlightScore, LongFlightMatchesEveryRouteOfAThinnedCopy) {
    const ThinnedCase cases[] = {
        {"loop", testing::thermalLoop(12000, 3), 12000, 12000 / 26},
        {"line", testing::straightFlight(20000, 0), 20001, 20000 / 26},
        {"straight", testing::straightFlight(20000, 0.5), 20001, 20000 / 26},
        {"noisy run", testing::straightFlight(1000, 2), 36, 1},
    };
    for (const ThinnedCase& c : cases) {
        const std::size_t end = std::min(c.take, c.flight.size());
        std::vector<FlightFix> thinned;
        for (std::size_t i = 0; i < end; i += c.step) thinned.push_back(c.flight[i]);
        if (thinned.size() < 2 || (end - 1) % c.step != 0) thinned.push_back(c.flight[end - 1]);
        for (const ScoreRules rules : {ScoreRules::XContest, ScoreRules::Ffvl}) {
            const FlightScore s = scoreFlight(thinned, rules);
            EXPECT_TRUE(s.proven) << c.name;
            EXPECT_NEAR(s.points, bruteForce(thinned, rules), kRouteTolerance * 2)
                << c.name << " " << scoreRulesName(rules).toStdString();
        }
    }
}

}  // namespace
}  // namespace kav::flight
