#include <gtest/gtest.h>

#include "log/geodesy.h"
#include "log/gps_time.h"
#include "log/track_points.h"

using namespace kav::log;

namespace {

constexpr int64_t kA = 6378137;

// Points on the equator whose heights give known altitude units.
const TDataECEF kAlt3300{2050, 1000, kA + 1000, 0, 0, 10};     // 3300
const TDataECEF kAlt8300{2050, 1001, kA + 2515, 0, 0, 10};     // 8300 = 3300 + 5000
const TDataECEF kAlt8301{2050, 1002, kA + 2515, 1197, 0, 10};  // 8301 = 3300 + 5001
const TDataECEF kAlt0{2050, 1003, kA, 0, 0, 10};               // 0

LogData threeFixes() {
    return {{2050, 345623, 4202458, -123478, 4780443, 42},
            {2050, 345624, 4202463, -123481, 4780439, 40},
            {2050, 345625, 4202470, -123490, 4780430, 38}};
}

TEST(TrackPoints, FixturesHaveTheirAltitudes) {
    for (auto [fix, units] :
         {std::pair{kAlt3300, 3300}, {kAlt8300, 8300}, {kAlt8301, 8301}, {kAlt0, 0}}) {
        TDataGAC g;
        Ecef2Gac(fix, g);
        EXPECT_EQ(g.xAlti, units);
    }
}

TEST(TrackPoints, KeepsTheLastFixOfTheTrack) {
    const LogData log = threeFixes();
    const TrackPoints p = buildTrackPoints(log, 0, 2);
    ASSERT_EQ(p.FRTaille(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        TDataGAC g;
        Ecef2Gac(log[i], g);
        EXPECT_EQ(p.FRHeures[i], g.xSeconde);
        EXPECT_EQ(p.FRLatitudes[i], g.xLat);
        EXPECT_EQ(p.FRLongitudes[i], g.xLong);
        EXPECT_EQ(p.FRAltitudes[i], g.xAlti);
        EXPECT_EQ(p.FRDateTimes[i], GpsTime2Datetime(log[i].WeekNumber, log[i].TimeOfWeek));
    }
    EXPECT_EQ(p.FRHeures.back(), 7);
}

struct RangeCase {
    const char* name;
    std::size_t logSize, first, last, points;
};

class Ranges : public ::testing::TestWithParam<RangeCase> {};

TEST_P(Ranges, ClipsToTheLog) {
    const RangeCase& c = GetParam();
    LogData log = threeFixes();
    log.resize(c.logSize, log.back());
    const TrackPoints p = buildTrackPoints(log, c.first, c.last);
    EXPECT_EQ(p.FRTaille(), c.points);
    for (auto size :
         {p.FRHeures.size(), p.FRLongitudes.size(), p.FRAltitudes.size(), p.FRDateTimes.size()})
        EXPECT_EQ(size, c.points);
    if (c.points == 0) {
        EXPECT_TRUE(p.empty());
        for (double b : {p.LatMax, p.LatMin, p.LongMax, p.LongMin, p.LatRef, p.LongRef})
            EXPECT_EQ(b, 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Ranges,
    ::testing::Values(RangeCase{"Whole", 3, 0, 2, 3}, RangeCase{"OneFix", 3, 1, 1, 1},
                      RangeCase{"LastPastEnd", 3, 1, 99, 2}, RangeCase{"FirstPastEnd", 3, 5, 9, 0},
                      RangeCase{"FirstAfterLast", 3, 2, 1, 0}, RangeCase{"EmptyLog", 0, 0, 0, 0},
                      RangeCase{"HugeLast", 3, 0, SIZE_MAX, 3}),
    [](const auto& info) { return std::string(info.param.name); });

struct SpikeCase {
    const char* name;
    LogData fixes;
    std::vector<int32_t> stored;
};

class SpikeFilter : public ::testing::TestWithParam<SpikeCase> {};

TEST_P(SpikeFilter, RepeatsThePreviousAltitudeOnUpwardSpikes) {
    const LogData& log = GetParam().fixes;
    EXPECT_EQ(buildTrackPoints(log, 0, log.size() - 1).FRAltitudes, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpikeFilter,
    ::testing::Values(
        SpikeCase{"JumpOf5001Repeats", {kAlt3300, kAlt8301}, {3300, 3300}},
        SpikeCase{"JumpOf5000Kept", {kAlt3300, kAlt8300}, {3300, 8300}},
        SpikeCase{"DropKept", {kAlt8301, kAlt0}, {8301, 0}},
        SpikeCase{"FirstPointAsItComes", {kAlt8301}, {8301}},
        SpikeCase{"ComparedWithStoredValue", {kAlt3300, kAlt8301, kAlt8300}, {3300, 3300, 8300}},
        SpikeCase{"HighPlateauKeptFromItsSecondFix", {kAlt0, kAlt8301, kAlt8301}, {0, 0, 8301}},
        SpikeCase{"OneLowFixCostsItselfAndTheNext",
                  {kAlt8301, kAlt0, kAlt8301, kAlt8301, kAlt8300},
                  {8301, 0, 0, 8301, 8300}},
        SpikeCase{"TwoLowFixesCostThemselvesAndTheNext",
                  {kAlt8301, kAlt0, kAlt0, kAlt8301, kAlt8301},
                  {8301, 0, 0, 0, 8301}},
        SpikeCase{"TwoHighFixes", {kAlt0, kAlt8301, kAlt8301, kAlt0}, {0, 0, 8301, 0}},
        SpikeCase{"RealClimbKept", {kAlt0, kAlt3300, kAlt8300, kAlt8301}, {0, 3300, 8300, 8301}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BoundsCase {
    const char* name;
    LogData fixes;
    double latMax, latMin, longMax, longMin;  // raw extremes of the points, before widening
};

class Bounds : public ::testing::TestWithParam<BoundsCase> {};

TEST_P(Bounds, WidenedAwayFromTheTrack) {
    const BoundsCase& c = GetParam();
    const TrackPoints p = buildTrackPoints(c.fixes, 0, c.fixes.size() - 1);
    const auto up = [](double v) { return v * 10005 / 10000; };
    const auto down = [](double v) { return v * 9995 / 10000; };
    EXPECT_NEAR(p.LatMax, c.latMax >= 0 ? up(c.latMax) : down(c.latMax), 1e-9);
    EXPECT_NEAR(p.LatMin, c.latMin >= 0 ? down(c.latMin) : up(c.latMin), 1e-9);
    EXPECT_NEAR(p.LongMax, c.longMax >= 0 ? up(c.longMax) : down(c.longMax), 1e-9);
    EXPECT_NEAR(p.LongMin, c.longMin >= 0 ? down(c.longMin) : up(c.longMin), 1e-9);
    EXPECT_GE(p.LatMax, p.LatMin);
    EXPECT_GE(p.LongMax, p.LongMin);
    EXPECT_DOUBLE_EQ(p.LatRef, (p.LatMax + p.LatMin) / 2);
    EXPECT_DOUBLE_EQ(p.LongRef, (p.LongMax + p.LongMin) / 2);
}

// Points on the axes give whole-degree positions: (X, Y, Z) at radius a.
INSTANTIATE_TEST_SUITE_P(
    Cases, Bounds,
    ::testing::Values(BoundsCase{"ZeroBoundsStayZero", {kAlt3300, kAlt0}, 0, 0, 0, 0},
                      BoundsCase{"OneFix", {{2050, 0, 0, kA, 0, 0}}, 0, 0, 90, 90},
                      BoundsCase{"NegativeLongitudes",
                                 {{2050, 0, 0, -kA, 0, 0}, {2050, 0, -kA, -1, 0, 0}},
                                 0,
                                 0,
                                 -90,
                                 -180 + 8.983152841195214e-06},
                      BoundsCase{"BothSignsOfLongitude",
                                 {{2050, 0, 0, kA, 0, 0}, {2050, 0, 0, -kA, 0, 0}},
                                 0,
                                 0,
                                 90,
                                 -90},
                      BoundsCase{"NullPositionStretchesBounds",
                                 {{2050, 0, 0, 0, 0, 0}, {2050, 0, kA, kA, 0, 0}},
                                 0,
                                 0,
                                 45,
                                 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Bounds, LatitudesOfBothSigns) {
    const LogData log = {{2050, 345623, 4202458, -123478, 4780443, 42},
                         {2050, 345624, 4202458, -123478, -4780443, 42}};
    const TrackPoints p = buildTrackPoints(log, 0, 1);
    EXPECT_NEAR(p.LatMax, 48.85999750 * 1.0005, 1e-7);
    EXPECT_NEAR(p.LatMin, -48.85999750 * 1.0005, 1e-7);
    EXPECT_NEAR(p.LongMax, -1.68299918 * 0.9995, 1e-7);
    EXPECT_NEAR(p.LongMin, -1.68299918 * 1.0005, 1e-7);
    EXPECT_NEAR(p.LatRef, 0.0, 1e-12);
}

}  // namespace
