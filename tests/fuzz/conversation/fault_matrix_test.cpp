// The wire faults of the fault matrix against the conversation core at virtual time: the
// emulator's sample day served by its logger model, one fault switch a row, at the transfer
// speeds the front ends ask for. Each row checks how the run ends (and why), that the sectors
// kept are byte for byte the logger's first ones, the line rate the download used and the rate
// the logger is left at, and prints a report line as the front ends' matrices do.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <ostream>

#include "../../common/tracks_of.h"
#include "link/link_failure.h"
#include "session/transfer_speed.h"
#include "sim/emulator.h"
#include "virtual_line.h"

namespace kav::simtest {
namespace {

using link::EndKind;
using link::FailureKind;
using session::TransferSpeed;

constexpr int kSector = 4096;

struct Expected {
    EndKind end = EndKind::Complete;
    std::optional<FailureKind> failure;  // with the request it names
    uint8_t command = 0;
    int sector = -1;
    int kept = -1;      // sectors kept; -1 for the whole log
    int rate = 230400;  // the rate the download settled on
};

struct MatrixRow {
    const char* name;
    const char* what;  // the fault in a few words, for the report
    Scenario scenario;
    Expected expected;
};

const QByteArray& sampleImage() {
    static const QByteArray image = sim::sampleImage();
    return image;
}

Scenario at(TransferSpeed speed, QStringList faults = {}) {
    const session::TransferSettings settings = session::transferSettings(speed);
    Scenario s;
    s.image = sampleImage();
    s.sectors = int(s.image.size() / kSector);
    s.baud = settings.baud;
    s.block = settings.sectorsPerRequest;
    s.faults = std::move(faults);
    return s;
}

Scenario fast(QStringList faults = {}) {
    return at(TransferSpeed::Fast, std::move(faults));
}

Scenario fullMemory() {
    Scenario s = fast();
    s.fullMemory = true;
    return s;
}

Scenario continuousOutput() {
    Scenario s = fast();
    s.continuousOutput = true;
    return s;
}

Expected failed(FailureKind kind, int kept, uint8_t command = 0, int sector = -1,
                int rate = 230400) {
    return {EndKind::Failed, kind, command, sector, kept, rate};
}

Expected atBaseRate() {
    Expected e;
    e.rate = 115200;
    return e;
}

// What the core tells its session, in words, for the report.
QString told(const RunReport& r) {
    if (r.failure) return QStringLiteral("failed: ") + link::failureText(*r.failure);
    QString text = r.end == EndKind::Complete ? QStringLiteral("complete")
                                              : QStringLiteral("ended, kind %1").arg(int(r.end));
    if (r.rateUsed != 0) text += QStringLiteral(" at %1 baud").arg(r.rateUsed);
    if (!r.rateWhy.isEmpty()) text += QStringLiteral(" (%1)").arg(r.rateWhy);
    return text;
}

void report(const MatrixRow& row, const RunReport& r) {
    const int all = row.scenario.sectors;
    const int kept = int(r.kept.size() / kSector);
    std::printf("RELIABILITY|core (virtual time)|%s|%s|%s|%d of %d sectors, %zu tracks|%s\n",
                row.name, row.what, qPrintable(told(r).replace(u'|', u'/')), kept, all,
                kav::testing::tracksOfFirstSectors(sampleImage(), kept),
                ::testing::Test::HasFailure() ? "FAIL" : "pass");
    std::fflush(stdout);
}

void PrintTo(const MatrixRow& row, std::ostream* out) {
    *out << row.name;
}

class FaultMatrix : public ::testing::TestWithParam<MatrixRow> {};

TEST_P(FaultMatrix, EndsAsTheRowSaysKeepingTheLoggersOwnBytes) {
    const MatrixRow& row = GetParam();
    const Expected& e = row.expected;
    const RunReport r = runScenario(row.scenario);
    EXPECT_EQ(r.broken, "");
    EXPECT_EQ(r.ends, 1);
    EXPECT_EQ(int(r.end), int(e.end));
    ASSERT_EQ(r.failure.has_value(), e.failure.has_value());
    if (e.failure) {
        EXPECT_EQ(int(r.failure->kind), int(*e.failure));
        EXPECT_EQ(r.failure->command, e.command);
        EXPECT_EQ(r.failure->sector, e.sector);
    }
    const int kept = e.kept < 0 ? row.scenario.sectors : e.kept;
    EXPECT_EQ(r.kept.size(), qsizetype(kept) * kSector);
    EXPECT_TRUE(r.kept == sampleImage().left(r.kept.size())) << "a kept byte is not the logger's";
    if (kept > 0) {
        EXPECT_EQ(r.firmware, QStringLiteral("1.4.20"));
        EXPECT_EQ(r.rateUsed, e.rate);
    }
    if (!r.vanished) {
        EXPECT_EQ(r.loggerRate, 115200);
    }
    report(row, r);
}

const Expected kFailedAt3 = failed(FailureKind::BadChecksum, 3, 0x1D, 3);
const Expected kFailedAt4 = failed(FailureKind::NoAnswer, 4, 0x1D, 4);

INSTANTIATE_TEST_SUITE_P(
    SampleDay, FaultMatrix,
    ::testing::Values(
        MatrixRow{
            "frame_bytes_in_data", "0D 0A and A0 A1 inside sector data (sample day)", fast(), {}},
        MatrixRow{"sector_checksum_once",
                  "wrong sector checksum, once (sector 2)",
                  fast({"block-checksum-once=2"}),
                  {}},
        MatrixRow{"sector_checksum_always", "wrong sector checksum, always (sector 3)",
                  fast({"block-checksum-always=3"}), kFailedAt3},
        MatrixRow{
            "ack_lost", "acknowledgement of 0x1D lost, once", fast({"reply-lost-once=0x1D"}), {}},
        MatrixRow{
            "raw_block_lost", "raw block of sector 1 lost, once", fast({"block-lost-once=1"}), {}},
        MatrixRow{"raw_block_lost_always", "raw block of sector 4 never sent",
                  fast({"block-lost-always=4"}), kFailedAt4},
        MatrixRow{
            "user_data_lost", "user-data block lost, once", fast({"block-lost-once=user"}), {}},
        MatrixRow{"garbage_between_frames",
                  "12 stray bytes before every answer",
                  fast({"garbage=12"}),
                  {}},
        MatrixRow{"ack_bad_checksum",
                  "acknowledgement with a bad checksum, once",
                  fast({"frame-checksum-once=0x83"}),
                  {}},
        MatrixRow{"version_bad_checksum",
                  "version message with a bad checksum, once",
                  fast({"frame-checksum-once=0x80"}),
                  {}},
        MatrixRow{"status_bad_checksum",
                  "log status with a bad checksum, once",
                  fast({"frame-checksum-once=0x94"}),
                  {}},
        MatrixRow{"version_late", "answer to 0x02 1.5 s late", fast({"delay-once=0x02:1500"}), {}},
        MatrixRow{
            "output_stop_late", "answer to 0x09 2.5 s late", fast({"delay-once=0x09:2500"}), {}},
        MatrixRow{
            "user_data_late", "answer to 0x76 1.2 s late", fast({"delay-once=0x76:1200"}), {}},
        MatrixRow{"status_late", "answer to 0x17 1.5 s late", fast({"delay-once=0x17:1500"}), {}},
        MatrixRow{
            "status_very_late", "answer to 0x17 3 s late", fast({"delay-once=0x17:3000"}), {}},
        MatrixRow{
            "sector_late_within", "answer to 0x1D 0.5 s late", fast({"delay-once=0x1D:500"}), {}},
        MatrixRow{"sector_late", "answer to 0x1D 2 s late", fast({"delay-once=0x1D:2000"}), {}},
        MatrixRow{
            "sector_very_late", "answer to 0x1D 3 s late", fast({"delay-once=0x1D:3000"}), {}},
        MatrixRow{"device_vanishes", "device gone after 3 sectors", fast({"vanish-after=3"}),
                  failed(FailureKind::PortLost, 0, 0x1D, 0)},
        MatrixRow{"vanishes_at_start", "device gone instead of answering 0x02",
                  fast({"vanish-at=0x02"}), failed(FailureKind::PortLost, 0, 0x02)},
        MatrixRow{"vanishes_near_the_end", "device gone after 16 of 17 sectors",
                  fast({"vanish-after=16"}), failed(FailureKind::PortLost, 16)},
        MatrixRow{"sector_refused",
                  "the first block request refused (0x84): read sector by sector",
                  fast({"refuse-once=0x1D"}),
                  {}},
        MatrixRow{
            "version_twice", "the answer to 0x02 sent twice", fast({"duplicate-once=0x02"}), {}},
        MatrixRow{
            "user_data_twice", "the answer to 0x76 sent twice", fast({"duplicate-once=0x76"}), {}},
        MatrixRow{
            "status_twice", "the answer to 0x17 sent twice", fast({"duplicate-once=0x17"}), {}},
        MatrixRow{"sector_twice",
                  "the answer to the first 0x1D sent twice",
                  fast({"duplicate-once=0x1D"}),
                  {}},
        MatrixRow{
            "full_memory", "memory full: 0 sectors left, reads past it refused", fullMemory(), {}},
        MatrixRow{"rate_refused", "230400 baud refused (0x05 answered 0x84)",
                  fast({"refuse-once=0x05"}), atBaseRate()},
        MatrixRow{"rate_never_switches", "0x05 acknowledged, the rate kept",
                  fast({"rate-no-switch"}), atBaseRate()},
        MatrixRow{"rate_silent", "at 230400 baud nothing the logger sends arrives",
                  fast({"rate-silent"}), atBaseRate()},
        MatrixRow{"standard_sector_checksum_always",
                  "standard speed: wrong checksum of sector 3, always",
                  at(TransferSpeed::Standard, {"block-checksum-always=3"}),
                  failed(FailureKind::BadChecksum, 3, 0x1D, 3, 0)},
        MatrixRow{"standard_device_vanishes", "standard speed: device gone after 3 sectors",
                  at(TransferSpeed::Standard, {"vanish-after=3"}),
                  failed(FailureKind::PortLost, 3, 0x1D, 3, 0)},
        MatrixRow{
            "continuous_output", "text output until the output stop", continuousOutput(), {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kav::simtest
