// The conversation against the simulated logger and line at virtual time: fixed scenarios
// (each a fault of the logger or something the session does), and a table of seeds, each a
// whole run whose invariants must hold (the fuzz stage draws many more).
#include <gtest/gtest.h>

#include "virtual_line.h"

namespace kav::simtest {
namespace {

using link::EndKind;

struct Row {
    const char* name;
    Scenario scenario;
    EndKind end;
    int kept;  // sectors kept; -1 for all of them
};

class Scenarios : public ::testing::TestWithParam<Row> {};

TEST_P(Scenarios, EndAsDecidedWithTheLoggersOwnSectorsAndAt115200) {
    const Row& row = GetParam();
    const RunReport r = runScenario(row.scenario);
    EXPECT_EQ(r.broken, "");
    EXPECT_EQ(r.ends, 1);
    EXPECT_EQ(int(r.end), int(row.end));
    EXPECT_EQ(r.sectorsKept, row.kept < 0 ? row.scenario.sectors : row.kept);
    EXPECT_TRUE(r.sectorsMatch);
    if (!r.vanished) {
        EXPECT_EQ(r.loggerRate, 115200);
    }
    EXPECT_EQ(r.hostRate, 115200);
}

Scenario with(QStringList faults, int baud = 115200, int block = 1, int sectors = 6) {
    Scenario s;
    s.faults = std::move(faults);
    s.baud = baud;
    s.block = block;
    s.sectors = sectors;
    return s;
}

Scenario stoppedAt(int sector) {
    Scenario s = with({}, 230400, 2);
    s.stopAtSector = sector;
    return s;
}

Scenario closedAt(uint8_t id, int times, int baud = 230400) {
    Scenario s = with({}, baud, 4);
    s.closeAtCommand = id;
    s.closeAtTimes = times;
    return s;
}

// A logger a run before left at baud, with the faults and the transfer speed asked for now.
Scenario leftAt(int baud, QStringList faults = {}, int speed = 115200, int block = 1) {
    Scenario s = with(std::move(faults), speed, block);
    s.loggerRate = baud;
    return s;
}

Scenario identify() {
    Scenario s = with({}, 230400, 4);
    s.goal = link::RunGoal::Identify;
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Logger, Scenarios,
    ::testing::Values(
        Row{"clean_standard", with({}), EndKind::Complete, -1},
        Row{"clean_fastest", with({}, 921600, 8, 20), EndKind::Complete, -1},
        Row{"sectors_always_2500ms_late_standard",
            with({QStringLiteral("delay-always=0x1D:2500")}, 115200, 1, 17), EndKind::Complete, -1},
        Row{"sectors_always_3000ms_late_fast",
            with({QStringLiteral("delay-always=0x1D:3000")}, 230400, 4, 17), EndKind::Complete, -1},
        Row{"answers_late_beyond_every_retry",
            with({QStringLiteral("delay-always=0x1D:9000")}, 115200, 1, 4), EndKind::Failed, 0},
        Row{"block_refused_read_singly", with({QStringLiteral("refuse-once=0x1D")}, 230400, 4),
            EndKind::Complete, -1},
        Row{"sector_refused_keeps_those_before",
            with({QStringLiteral("refuse-always=0x1D")}, 115200, 1), EndKind::Failed, 0},
        Row{"rate_change_silent", with({QStringLiteral("rate-silent")}, 230400, 4),
            EndKind::Complete, -1},
        Row{"rate_change_ignored", with({QStringLiteral("rate-no-switch")}, 921600, 8),
            EndKind::Complete, -1},
        Row{"rate_ack_lost", with({QStringLiteral("reply-lost-once=0x05")}, 230400, 4),
            EndKind::Complete, -1},
        Row{"vanish_after_3_sectors", with({QStringLiteral("vanish-after=3")}), EndKind::Failed, 3},
        Row{"vanish_at_status", with({QStringLiteral("vanish-at=0x17")}), EndKind::Failed, 0},
        Row{"vanish_while_settling",
            with({QStringLiteral("delay-once=0x1D:1500"), QStringLiteral("vanish-after=1")}),
            EndKind::Failed, 1},
        Row{"stopped_at_fast_rate", stoppedAt(1), EndKind::Stopped, 4},
        Row{"closed_during_rate_ack", closedAt(0x05, 1), EndKind::Closed, 0},
        Row{"closed_during_probe", closedAt(0x17, 2, 921600), EndKind::Closed, 0},
        Row{"identify_only", identify(), EndKind::Complete, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A logger left at another line rate is found there and put back at 115200 first.
INSTANTIATE_TEST_SUITE_P(
    LeftAtAnotherRate, Scenarios,
    ::testing::Values(Row{"logger_left_at_921600", leftAt(921600), EndKind::Complete, -1},
                      Row{"logger_left_at_9600_fastest_asked", leftAt(9600, {}, 921600, 8),
                          EndKind::Complete, -1},
                      Row{"put_back_refused_once_found_again",
                          leftAt(230400, {QStringLiteral("refuse-once=0x05")}, 230400, 4),
                          EndKind::Complete, -1},
                      Row{"silent_at_every_rate",
                          leftAt(115200, {QStringLiteral("reply-lost-always=0x02")}),
                          EndKind::Failed, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Seeds that broke an invariant once, and a run of consecutive seeds.
TEST(Seeds, InvariantsHold) {
    const uint64_t found[] = {759,   1276,  1562,   7441,   8655,
                              10599, 12099, 17069,  23149,  28865,
                              39286, 88085, 209231, 360013, 3458763401407299072ULL};
    for (uint64_t seed : found) EXPECT_EQ(runSeed(seed).broken, "") << "seed " << seed;
    for (uint64_t seed = 1000; seed < 1400; ++seed)
        EXPECT_EQ(runSeed(seed).broken, "") << "seed " << seed;
}

}  // namespace
}  // namespace kav::simtest
