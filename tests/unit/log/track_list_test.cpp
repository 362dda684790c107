#include <gtest/gtest.h>

#include "log/datalog_decoder.h"
#include "log/gps_time.h"
#include "log/track_list.h"
#include "record_bytes.h"

using namespace kav::log;
using namespace kav::log::testing;

namespace {

// One sector of full records at the given times of week (week 2050), padded with filler.
Bytes sectorAt(const std::vector<uint32_t>& tows) {
    Bytes s;
    for (uint32_t tow : tows) {
        const Bytes r = fullRecord(fixAt(tow));
        s.insert(s.end(), r.begin(), r.end());
    }
    s.resize(std::max(s.size(), kSectorSize), 0xFF);
    return s;
}

using Span = std::pair<std::size_t, std::size_t>;

std::vector<Span> spansOf(const LogCollection& c) {
    std::vector<Span> out;
    for (const Track& t : c.tracks()) out.emplace_back(t.first, t.last);
    return out;
}

// Every fix belongs to exactly one track, in order, and the times match the fixes.
void expectConsistent(const LogCollection& c) {
    std::size_t next = 0;
    for (const Track& t : c.tracks()) {
        ASSERT_EQ(t.first, next);
        ASSERT_LE(t.first, t.last);
        const TDataECEF& a = c.logData()[t.first];
        const TDataECEF& b = c.logData()[t.last];
        EXPECT_EQ(t.start, GpsTime2Datetime(a.WeekNumber, a.TimeOfWeek));
        EXPECT_EQ(t.finish, GpsTime2Datetime(b.WeekNumber, b.TimeOfWeek));
        next = t.last + 1;
    }
    EXPECT_EQ(next, c.logData().size());
}

struct CutCase {
    const char* name;
    std::vector<Bytes> sectors;
    std::vector<Span> tracks;
};

class Cutting : public ::testing::TestWithParam<CutCase> {};

TEST_P(Cutting, OneRuleWithinAndAcrossSectors) {
    LogCollection c;
    for (const Bytes& s : GetParam().sectors) c.SavePacket(s);
    EXPECT_EQ(spansOf(c), GetParam().tracks);
    expectConsistent(c);
    EXPECT_EQ(c.markedTrack(), int(GetParam().tracks.size()) - 1);
}

const Bytes kFillerSector(kSectorSize, 0xFF);

INSTANTIATE_TEST_SUITE_P(
    Cases, Cutting,
    ::testing::Values(
        CutCase{"TwentySecondsKeeps", {sectorAt({100, 120, 140})}, {{0, 2}}},
        CutCase{"TwentyOneSecondsCuts", {sectorAt({100, 121, 122})}, {{0, 0}, {1, 2}}},
        CutCase{"SameSecondKeeps", {sectorAt({100, 100})}, {{0, 1}}},
        CutCase{"BackwardWithinSectorCuts", {sectorAt({100, 99, 100})}, {{0, 0}, {1, 2}}},
        CutCase{"BackwardAcrossSectorsCuts", {sectorAt({100}), sectorAt({99})}, {{0, 0}, {1, 1}}},
        CutCase{"ContinuesAcrossSectors", {sectorAt({100}), sectorAt({120})}, {{0, 1}}},
        CutCase{"GapAcrossSectorsCuts", {sectorAt({100}), sectorAt({121})}, {{0, 0}, {1, 1}}},
        CutCase{"FillerSectorInBetween",
                {sectorAt({100, 110}), kFillerSector, sectorAt({120, 130})},
                {{0, 3}}},
        CutCase{"CompactTimeSteps",
                {concat({fullRecord(fixAt(100)), compactRecord(20, 1, 1, 1),
                         compactRecord(21, 1, 1, 1), compactRecord(0, 1, 1, 1)})},
                {{0, 1}, {2, 3}}},
        CutCase{
            "WeekTurnOverKeeps", {sectorAt({604799}), Bytes(fullRecord(fixAt(0, 2051)))}, {{0, 1}}},
        CutCase{"CompactPastWeekMeetsNextWeek",
                {concat({fullRecord(fixAt(604795)), compactRecord(10, 0, 0, 0),
                         fullRecord(fixAt(6, 2051))})},
                {{0, 2}}},
        CutCase{"TowZeroIsNotTowEighteen",
                {concat({fullRecord(fixAt(18)), fullRecord(fixAt(0))})},
                {{0, 0}, {1, 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LogCollection, OnlyTheNewestTrackIsMarkedAfterEachSector) {
    LogCollection c;
    EXPECT_EQ(c.markedTrack(), -1);
    c.SavePacket(sectorAt({100, 200}));
    EXPECT_EQ(c.markedTrack(), 1);
    c.setMarkedTrack(0);
    EXPECT_EQ(c.markedTrack(), 0);
    c.SavePacket(sectorAt({300}));
    EXPECT_EQ(c.markedTrack(), 2);
}

TEST(LogCollection, SectorWithoutFixChangesNothing) {
    LogCollection c;
    c.SavePacket(sectorAt({100, 200}));
    c.setMarkedTrack(0);
    const LogData log = c.logData();
    const std::vector<Span> spans = spansOf(c);
    for (const Bytes& s : {kFillerSector, Bytes{}, Bytes{0x00, 0x40}}) {
        EXPECT_EQ(c.SavePacket(s), 0u);
        EXPECT_EQ(c.logData(), log);
        EXPECT_EQ(spansOf(c), spans);
        EXPECT_EQ(c.markedTrack(), 0);
    }
}

TEST(LogCollection, SetMarkedTrackIgnoresIndicesOutsideTheList) {
    LogCollection c;
    c.SavePacket(sectorAt({100, 200}));
    for (int bad : {2, 100, -2}) {
        c.setMarkedTrack(bad);
        EXPECT_EQ(c.markedTrack(), 1);
    }
}

TEST(LogCollection, NoLimitOnTheNumberOfTracks) {
    LogCollection c;
    std::vector<uint32_t> tows;
    for (uint32_t k = 0; k < 600; ++k) tows.push_back(1000 + 30 * k);
    // 600 tracks in one call (beyond a sector's size) and 100 more, one per sector.
    c.SavePacket(sectorAt(tows));
    for (uint32_t k = 0; k < 100; ++k) c.SavePacket(sectorAt({100000 + 30 * k}));
    ASSERT_EQ(c.tracks().size(), 700u);
    EXPECT_EQ(c.markedTrack(), 699);
    expectConsistent(c);
}

TEST(LogCollection, ReturnsFixesAddedAndClearEmptiesAll) {
    LogCollection c;
    EXPECT_EQ(c.SavePacket(sectorAt({100, 101, 300})), 3u);
    c.clear();
    EXPECT_TRUE(c.logData().empty());
    EXPECT_TRUE(c.tracks().empty());
    EXPECT_EQ(c.markedTrack(), -1);
    c.SavePacket(sectorAt({50}));
    EXPECT_EQ(spansOf(c), (std::vector<Span>{{0, 0}}));
}

TEST(LogCollection, StartAndFinishAreTheFixTimes) {
    LogCollection c;
    c.SavePacket(sectorAt({345623, 345640}));
    ASSERT_EQ(c.tracks().size(), 1u);
    EXPECT_EQ(toQDateTime(c.tracks()[0].start),
              QDateTime(QDate(2019, 4, 25), QTime(0, 0, 5), Qt::UTC));
    EXPECT_EQ(toQDateTime(c.tracks()[0].finish),
              QDateTime(QDate(2019, 4, 25), QTime(0, 0, 22), Qt::UTC));
}

}  // namespace
