#include <gtest/gtest.h>

#include "log/datalog_decoder.h"
#include "record_bytes.h"

using namespace kav::log;
using namespace kav::log::testing;

namespace {

const Bytes kFull = {0x40, 0x2A, 0x70, 0x02, 0x54, 0x61, 0x1F, 0xDA, 0x00,
                     0x40, 0x1D, 0xA9, 0xFF, 0xFE, 0xF1, 0x9B, 0x00, 0x48};
const Bytes kCompact = {0x80, 0x28, 0x00, 0x01, 0x01, 0x42, 0x82, 0x03};
const TDataECEF kFullFix{2050, 345623, 4202458, -123478, 4780443, 42};
const TDataECEF kCompactFix{2050, 345624, 4202463, -123481, 4780439, 40};

TDataECEF decodedFull(Bytes b) {
    TDataECEF f{1, 2, 3, 4, 5, 6};
    DecodeFixFull(b.data(), f);
    return f;
}

TEST(DecodeFix, WorkedExampleFullThenCompact) {
    EXPECT_EQ(decodedFull(kFull), kFullFix);
    TDataECEF c;
    DecodeFixCompact(kFullFix, kCompact.data(), c);
    EXPECT_EQ(c, kCompactFix);
}

TEST(DecodeFix, CompactMayOverwriteItsOwnReference) {
    TDataECEF f = kFullFix;
    DecodeFixCompact(f, kCompact.data(), f);
    EXPECT_EQ(f, kCompactFix);
}

TEST(DecodeFix, KindThreeAndUnreadBitsChangeNothing) {
    Bytes kind3 = kFull;
    kind3[0] = 0x60;
    Bytes noisy = kFull;
    noisy[0] |= 0x1C;
    noisy[2] |= 0x0C;
    EXPECT_EQ(decodedFull(kind3), kFullFix);
    EXPECT_EQ(decodedFull(noisy), kFullFix);

    Bytes noisyCompact = kCompact;
    noisyCompact[0] |= 0x1C;
    noisyCompact[6] |= 0x0C;
    TDataECEF c;
    DecodeFixCompact(kFullFix, noisyCompact.data(), c);
    EXPECT_EQ(c, kCompactFix);
}

struct CoordinateCase {
    Bytes stored;  // p0 p1 p2 p3 as they lie in the record
    int64_t value;
};

class Coordinates : public ::testing::TestWithParam<CoordinateCase> {};

TEST_P(Coordinates, OnesComplementOnEveryAxis) {
    const CoordinateCase& c = GetParam();
    for (std::size_t offset : {6u, 10u, 14u}) {
        Bytes b = kFull;
        std::copy(c.stored.begin(), c.stored.end(), b.begin() + offset);
        const TDataECEF f = decodedFull(b);
        const int64_t got = offset == 6 ? f.ECEF_X : offset == 10 ? f.ECEF_Y : f.ECEF_Z;
        EXPECT_EQ(got, c.value) << "offset " << offset;
    }
}

INSTANTIATE_TEST_SUITE_P(EdgeValues, Coordinates,
                         ::testing::Values(CoordinateCase{{0xFF, 0xFF, 0xFF, 0xFF}, 0},
                                           CoordinateCase{{0x00, 0x00, 0x80, 0x00}, -2147483647},
                                           CoordinateCase{{0xFF, 0xFF, 0x7F, 0xFF}, 2147483647},
                                           CoordinateCase{{0xFF, 0xFE, 0xFF, 0xFF}, -1},
                                           CoordinateCase{{0x00, 0x00, 0x00, 0x00}, 0},
                                           CoordinateCase{{0x34, 0x56, 0x00, 0x12}, 0x123456}));

TEST(DecodeFix, FullRecordFieldLimits) {
    TDataECEF f{0xFFFF, 1048575, -5, 6, -7, 1023};
    const TDataECEF got = decodedFull(fullRecord(f));
    EXPECT_EQ(got.WeekNumber, 2048 + 1023);
    EXPECT_EQ(got.TimeOfWeek, 1048575u);
    EXPECT_EQ(got.Velocity, 1023);
    EXPECT_EQ(got.ECEF_X, -5);
    EXPECT_EQ(got.ECEF_Z, -7);
}

struct StepCase {
    uint32_t raw;
    int64_t step;
};

class CompactSteps : public ::testing::TestWithParam<StepCase> {};

// Places the raw 10-bit step on one axis at a time, zero on the others.
TEST_P(CompactSteps, RawStepOnEachAxis) {
    const StepCase& c = GetParam();
    const uint32_t r = c.raw;
    const Bytes onX = {0x80, 0, 0, 0, uint8_t(r >> 2), uint8_t((r & 3) << 6), 0, 0};
    const Bytes onY = {0x80, 0, 0, 0, 0, uint8_t(r & 0x3F), uint8_t((r >> 6) << 4), 0};
    const Bytes onZ = {0x80, 0, 0, 0, 0, 0, uint8_t(r >> 8), uint8_t(r)};
    const TDataECEF ref{2050, 10, 1000, 2000, 3000, 0};
    TDataECEF f;
    DecodeFixCompact(ref, onX.data(), f);
    EXPECT_EQ(f, (TDataECEF{2050, 10, 1000 + c.step, 2000, 3000, 0}));
    DecodeFixCompact(ref, onY.data(), f);
    EXPECT_EQ(f, (TDataECEF{2050, 10, 1000, 2000 + c.step, 3000, 0}));
    DecodeFixCompact(ref, onZ.data(), f);
    EXPECT_EQ(f, (TDataECEF{2050, 10, 1000, 2000, 3000 + c.step, 0}));
}

INSTANTIATE_TEST_SUITE_P(Steps, CompactSteps,
                         ::testing::Values(StepCase{0, 0}, StepCase{1, 1}, StepCase{511, 511},
                                           StepCase{512, -1}, StepCase{515, -4},
                                           StepCase{1023, -512}));

TEST(DecodeFix, CompactTimeRunsPastTheWeekWithoutRollover) {
    TDataECEF f;
    DecodeFixCompact(TDataECEF{2050, 604790, 0, 0, 0, 0}, compactRecord(65535, 0, 0, 0).data(), f);
    EXPECT_EQ(f.WeekNumber, 2050);
    EXPECT_EQ(f.TimeOfWeek, 604790u + 65535u);
}

struct WalkCase {
    const char* name;
    Bytes sector;
    LogData before;
    LogData after;
};

class SectorWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(SectorWalk, AppendsExactlyTheDecodedFixes) {
    const WalkCase& c = GetParam();
    LogData log = c.before;
    const std::size_t added = walkSector(c.sector, log);
    EXPECT_EQ(log, c.after);
    EXPECT_EQ(added, c.after.size() - c.before.size());
}

const Bytes kFiller2 = {0xFF, 0xFF};

INSTANTIATE_TEST_SUITE_P(
    Sectors, SectorWalk,
    ::testing::Values(
        WalkCase{"Empty", {}, {}, {}},
        WalkCase{"WorkedExample", concat({kFull, kCompact}), {}, {kFullFix, kCompactFix}},
        WalkCase{"FillerOnly", Bytes(kSectorSize, 0xFF), {kFullFix}, {kFullFix}},
        WalkCase{"EvenFillerThenRecord", concat({kFiller2, kFull}), {}, {kFullFix}},
        WalkCase{"OddFillerHidesRecord", concat({{0xFF}, kFull}), {}, {}},
        WalkCase{"FillerBetweenRecords",
                 concat({kFull, kFiller2, kCompact}),
                 {},
                 {kFullFix, kCompactFix}},
        WalkCase{"KindZeroEnds", concat({kFull, {0x00}, kCompact}), {}, {kFullFix}},
        WalkCase{"KindOneEnds", concat({{0x20}, kFull}), {}, {}},
        WalkCase{"KindFiveEnds", concat({{0xA0}, kFull}), {}, {}},
        WalkCase{"KindSixEnds", concat({{0xC0}, kFull}), {}, {}},
        WalkCase{"CompactWithEmptyLogSkipped",
                 concat({kCompact, kFull, kCompact}),
                 {},
                 {kFullFix, kCompactFix}},
        WalkCase{"CompactAgainstEarlierSector", kCompact, {kFullFix}, {kFullFix, kCompactFix}},
        WalkCase{"TruncatedFullEnds", Bytes(kFull.begin(), kFull.end() - 1), {}, {}},
        WalkCase{"TruncatedCompactEnds",
                 concat({kFull, Bytes(kCompact.begin(), kCompact.end() - 1)}),
                 {},
                 {kFullFix}},
        WalkCase{"LoneFillerByteAtEnd", concat({kFull, {0xFF}}), {}, {kFullFix}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SectorWalk, RoundTripsEncodedRecords) {
    const TDataECEF start{2100, 1000, -2000000, 3000000, -4000000, 999};
    const Bytes sector =
        concat({fullRecord(start), compactRecord(3, 511, -512, -1, 7), compactRecord(0, 0, 0, 0)});
    LogData log;
    walkSector(sector, log);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], start);
    EXPECT_EQ(log[1], (TDataECEF{2100, 1003, -1999489, 2999488, -4000001, 7}));
    EXPECT_EQ(log[2], (TDataECEF{2100, 1003, -1999489, 2999488, -4000001, 0}));
}

}  // namespace
