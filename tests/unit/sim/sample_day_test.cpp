#include <gtest/gtest.h>

#include "log/datalog_decoder.h"
#include "log/geodesy.h"
#include "sim/emulator.h"
#include "sim/sample_day.h"

namespace kav::sim {
namespace {

log::LogData decodeImage(const QByteArray& image) {
    log::LogData decoded;
    for (qsizetype at = 0; at < image.size(); at += 4096)
        log::walkSector({reinterpret_cast<const uint8_t*>(image.constData() + at), 4096}, decoded);
    return decoded;
}

// Index ranges of the tracks: a new one wherever time runs back or jumps by more than 20 s.
std::vector<std::pair<std::size_t, std::size_t>> tracks(const log::LogData& fixes) {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    for (std::size_t i = 0; i < fixes.size(); ++i) {
        const bool cut = i == 0 || fixes[i].TimeOfWeek < fixes[i - 1].TimeOfWeek ||
                         fixes[i].TimeOfWeek - fixes[i - 1].TimeOfWeek > 20;
        if (cut) out.push_back({i, i});
        out.back().second = i;
    }
    return out;
}

TEST(SampleDay, DecodesBackToTheSameFixes) {
    const QByteArray image = sampleImage();
    ASSERT_FALSE(image.isEmpty());
    EXPECT_EQ(image.size() % 4096, 0);
    const auto fixes = sampleFixes();
    EXPECT_EQ(decodeImage(image), log::LogData(fixes.begin(), fixes.end()));
    EXPECT_EQ(sampleImage(), image);  // no clock, no random seed
}

TEST(SampleDay, SectorDataHoldsTheFrameBytePairs) {
    const QByteArray image = sampleImage();
    EXPECT_GE(image.indexOf(QByteArray("\x0D\x0A", 2)), 0);
    EXPECT_GE(image.indexOf(QByteArray("\xA0\xA1", 2)), 0);
}

TEST(SampleDay, LooksLikeDaysOfFlying) {
    const auto fixes = sampleFixes();
    const auto cuts = tracks(log::LogData(fixes.begin(), fixes.end()));
    ASSERT_EQ(cuts.size(), 4u);
    const auto duration = [&](std::size_t t) {
        return fixes[cuts[t].second].TimeOfWeek - fixes[cuts[t].first].TimeOfWeek;
    };
    EXPECT_GE(duration(1), 3600u);  // the long flight
    EXPECT_LE(duration(1), 7200u);
    EXPECT_LT(duration(2), 600u);  // the hop
    double highest_m = 0;          // about 2,500 m in the Alps
    for (std::size_t i = cuts[1].first; i <= cuts[1].second; ++i) {
        log::TDataGAC point;
        log::ECEF_XYZh(fixes[i], point);
        highest_m = std::max(highest_m, point.xAlti * 0.303);
    }
    EXPECT_GT(highest_m, 2300);
    EXPECT_LT(highest_m, 2900);
    bool twentySecondGap = false;
    for (std::size_t i = cuts[1].first + 1; i <= cuts[1].second; ++i)
        twentySecondGap |= fixes[i].TimeOfWeek - fixes[i - 1].TimeOfWeek == 20;
    EXPECT_TRUE(twentySecondGap);
    // Southern and western: z < 0 and, near longitude -150, x < 0 and y < 0.
    const auto& south = fixes[cuts[3].first];
    EXPECT_LT(south.ECEF_Z, 0);
    EXPECT_LT(south.ECEF_X, 0);
    EXPECT_LT(south.ECEF_Y, 0);
    // The last track runs over midnight UTC (GPS is 18 s ahead).
    const auto utcDay = [](const log::TDataECEF& f) { return (f.TimeOfWeek - 18) / 86400; };
    EXPECT_NE(utcDay(fixes[cuts[3].first]), utcDay(fixes[cuts[3].second]));
    uint32_t highest = 0;
    for (const auto& f : fixes) {
        EXPECT_GE(f.WeekNumber, 2048);
        EXPECT_LE(f.WeekNumber, 3071);
        highest = std::max<uint32_t>(highest, f.Velocity);
    }
    EXPECT_LT(highest, 80u);  // a paraglider's speeds in km/h
}

}  // namespace
}  // namespace kav::sim
