#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "log/geodesy.h"

using namespace kav::log;

namespace {

constexpr int64_t kA = 6378137;  // WGS84 semi-major axis: on the equator h = X - a exactly

TDataGAC converted(const TDataECEF& f, uint16_t track = 77) {
    TDataGAC g;
    g.xTrack = track;
    Ecef2Gac(f, g);
    return g;
}

TEST(Geodesy, WorkedExample) {
    const TDataGAC g = converted({2050, 345623, 4202458, -123478, 4780443, 42});
    EXPECT_EQ(g.xSeconde, 5);
    EXPECT_NEAR(g.xLat, 48.85999750, 1e-8);
    EXPECT_NEAR(g.xLong, -1.68299918, 1e-8);
    EXPECT_EQ(g.xAlti, 496);
    EXPECT_EQ(g.xSpeed, 227);
    EXPECT_EQ(g.xTrack, 77);
}

struct PositionCase {
    const char* name;
    int64_t x, y, z;
    double lat, lon;
    int32_t alti;
};

class Positions : public ::testing::TestWithParam<PositionCase> {};

TEST_P(Positions, LatitudeLongitudeAndHeight) {
    const PositionCase& c = GetParam();
    TDataGAC g;
    g.xSeconde = 123;
    g.xSpeed = 9;
    ECEF_XYZh({2050, 0, c.x, c.y, c.z, 0}, g);
    EXPECT_NEAR(g.xLat, c.lat, 1e-9);
    EXPECT_NEAR(g.xLong, c.lon, 1e-9);
    EXPECT_EQ(g.xAlti, c.alti);
    EXPECT_EQ(g.xSeconde, 123);  // only position fields are written
    EXPECT_EQ(g.xSpeed, 9);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Positions,
    ::testing::Values(PositionCase{"NullPosition", 0, 0, 0, 0, 0, 0},
                      PositionCase{"PolarAxisIsNull", 0, 0, 6356752, 0, 0, 0},
                      PositionCase{"XZeroYPositive", 0, kA, 0, 0, 90, 0},
                      PositionCase{"XZeroYNegative", 0, -kA, 0, 0, -90, 0},
                      PositionCase{"XNegativeYZero", -kA, 0, 0, 0, 180, 0},
                      PositionCase{"XNegativeYPositive", -kA, kA, 0, 0, 135, 8719178},
                      PositionCase{"XNegativeYNegative", -kA, -kA, 0, 0, -135, 8719178},
                      PositionCase{"PrimeMeridian100m", kA + 100, 0, 0, 0, 0, 330},
                      PositionCase{"BelowEllipsoid", kA - 303, 0, 0, 0, 0, -1000},
                      PositionCase{"SouthernHemisphere", 4202458, -123478, -4780443,
                                   -48.859997501266, -1.682999183852, 496}),
    [](const auto& info) { return std::string(info.param.name); });

// Bowring's step written with the angles themselves, as a check of the tangent form.
TDataGAC trigonometricForm(long double X, long double Y, long double Z) {
    const long double a = 6378137.0L, b = (1 - 0.003352810664747481L) * a;
    const long double e2 = (a * a - b * b) / (a * a), e2p = (a * a - b * b) / (b * b);
    const long double p = std::sqrt(X * X + Y * Y), t = std::atan(Z * a / (p * b));
    const long double phi = std::atan((Z + e2p * b * std::pow(std::sin(t), 3)) /
                                      (p - e2 * a * std::pow(std::cos(t), 3)));
    const long double N = a / std::sqrt(1 - e2 * std::sin(phi) * std::sin(phi));
    TDataGAC g;
    g.xLat = double(phi * 180 / M_PIl);
    g.xLong = double(std::atan(Y / X) * 180 / M_PIl);
    g.xAlti = int32_t(std::nearbyint((p / std::cos(phi) - N) / 0.303L));
    return g;
}

TEST(Geodesy, TangentFormAgreesWithTheAngles) {
    for (int64_t x : {4202458, 1000, 6400000, 3000000})
        for (int64_t z : {4780443, -4780443, 0, 6300000, -100})
            for (int64_t y : {-123478, 5000000, 1}) {
                TDataGAC g;
                ECEF_XYZh({0, 0, x, y, z, 0}, g);
                const TDataGAC ref = trigonometricForm(x, y, z);
                EXPECT_NEAR(g.xLat, ref.xLat, 1e-12) << x << " " << y << " " << z;
                EXPECT_NEAR(g.xLong, ref.xLong, 1e-12);
                EXPECT_EQ(g.xAlti, ref.xAlti);
            }
}

TEST(Geodesy, NullPositionClearsSpeedAndTrack) {
    const TDataGAC g = converted({2050, 345623, 0, 0, 4000000, 500});
    EXPECT_EQ(g.xSpeed, 0);
    EXPECT_EQ(g.xTrack, 0);
    EXPECT_EQ(g.xSeconde, 5);
}

TEST(Geodesy, HugeCoordinatesStayWithinTheAltitudeRange) {
    const TDataGAC up = converted({2050, 0, 2147483647, 2147483647, 2147483647, 0});
    EXPECT_EQ(up.xAlti, std::numeric_limits<int32_t>::max());
    EXPECT_GT(up.xLat, 0);
}

struct SpeedCase {
    uint16_t kmh;
    uint16_t tenthsOfKnot;
};

class Speeds : public ::testing::TestWithParam<SpeedCase> {};

TEST_P(Speeds, KmhToTenthsOfAKnot) {
    EXPECT_EQ(converted({2050, 0, kA + 100, 0, 0, GetParam().kmh}).xSpeed, GetParam().tenthsOfKnot);
}

INSTANTIATE_TEST_SUITE_P(Cases, Speeds,
                         ::testing::Values(SpeedCase{0, 0}, SpeedCase{1, 5}, SpeedCase{40, 216},
                                           SpeedCase{42, 227}, SpeedCase{1023, 5524}));

struct RoundingCase {
    long double quotient;
    int32_t units;
};

class AltitudeRounding : public ::testing::TestWithParam<RoundingCase> {};

TEST_P(AltitudeRounding, HalvesGoToTheEvenNeighbour) {
    const long double h = GetParam().quotient * 0.303L;
    ASSERT_EQ(h / 0.303L, GetParam().quotient) << "the height must give an exact quotient";
    EXPECT_EQ(altitudeUnits(h), GetParam().units);
}

INSTANTIATE_TEST_SUITE_P(Cases, AltitudeRounding,
                         ::testing::Values(RoundingCase{0.5L, 0}, RoundingCase{1.5L, 2},
                                           RoundingCase{2.5L, 2}, RoundingCase{495.5L, 496},
                                           RoundingCase{4.5L, 4}, RoundingCase{-0.5L, 0},
                                           RoundingCase{-2.5L, -2}, RoundingCase{-3.5L, -4},
                                           RoundingCase{2.25L, 2}, RoundingCase{2.75L, 3}));

TEST(Geodesy, AltitudeUnitsSaturate) {
    EXPECT_EQ(altitudeUnits(1e12L), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(altitudeUnits(-1e12L), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(altitudeUnits(std::numeric_limits<long double>::quiet_NaN()),
              std::numeric_limits<int32_t>::min());
}

}  // namespace
