// The fault matrix: every emulator fault switch and user interruption during a whole download.
// Each scenario checks what the user is told, that every stored sector is byte-exact, that the
// fixes and tracks kept are exactly those of the stored sectors, and that the run ends.

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <span>

#include <QCoreApplication>

#include "log/datalog_decoder.h"
#include "reliability_session.h"

namespace kav::reliability {
namespace {

constexpr int kLimitMs = 20000;
constexpr int kAll = -1;

struct Expected {
    Outcome outcome;
    int minSectors = kAll;  // sectors stored at the end, kAll for the whole log
    int maxSectors = kAll;
    const char* shownHas = "";  // a text the user must be shown, "" for none at all
};

struct Case {
    Scenario scenario;
    Expected expected;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.scenario.name;
}

void ensureApplication() {
    static int argc = 1;
    static char name[] = "reliability_e2e_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

QByteArray sectorOf(const QByteArray& image, int n) {
    const qsizetype size = qsizetype(log::kSectorSize);
    const QByteArray s = image.mid(n * size, size);
    return s.size() == size ? s : QByteArray(size, char(0xFF));
}

// The log and tracks that the first count sectors of the image give.
log::LogCollection reference(const QByteArray& image, int count) {
    log::LogCollection c;
    for (int n = 0; n < count; ++n) {
        const QByteArray s = sectorOf(image, n);
        c.SavePacket(std::span(reinterpret_cast<const uint8_t*>(s.constData()), s.size()));
    }
    return c;
}

// The whole log: every sector of the image (the logger may be asked for one more, empty).
int wholeDownload(const QByteArray& image) {
    return int(image.size() / qsizetype(log::kSectorSize));
}

void expectKept(const ReliabilitySession& s) {
    for (int i = 0; i < s.sectors().size(); ++i) {
        EXPECT_EQ(s.sectors()[i], i) << "sectors out of order";
        EXPECT_TRUE(s.sectorData()[i] == sectorOf(s.image(), i)) << "sector " << i << " differs";
    }
    const log::LogCollection ref = reference(s.image(), int(s.sectors().size()));
    EXPECT_TRUE(s.collection().logData() == ref.logData()) << "decoded fixes differ";
    ASSERT_EQ(s.collection().tracks().size(), ref.tracks().size());
    for (std::size_t t = 0; t < ref.tracks().size(); ++t) {
        EXPECT_EQ(s.collection().tracks()[t].first, ref.tracks()[t].first);
        EXPECT_EQ(s.collection().tracks()[t].last, ref.tracks()[t].last);
    }
}

void report(const Case& c, Outcome outcome, const ReliabilitySession& s, bool passed) {
    const QString shown = s.shown().isEmpty() ? QStringLiteral("nothing") : s.shown().join("; ");
    std::printf("RELIABILITY|%s|%s|%s; %s|%d of %d sectors, %zu fixes, %zu tracks|%s\n",
                c.scenario.name, c.scenario.what, outcomeText(outcome), qPrintable(shown),
                int(s.sectors().size()), wholeDownload(s.image()), s.collection().logData().size(),
                s.collection().tracks().size(), passed ? "pass" : "FAIL");
    std::fflush(stdout);
}

class FaultMatrix : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override { ensureApplication(); }
};

TEST_P(FaultMatrix, UserToldDataKeptRunEnds) {
    const Case& c = GetParam();
    ReliabilitySession s(c.scenario);
    const Outcome outcome = s.run(kLimitMs);
    const int all = wholeDownload(s.image());
    const int minSectors = c.expected.minSectors == kAll ? all : c.expected.minSectors;
    const int maxSectors = c.expected.maxSectors != kAll   ? c.expected.maxSectors
                           : c.expected.minSectors == kAll ? all + 1
                                                           : minSectors;

    EXPECT_EQ(outcome, c.expected.outcome) << outcomeText(outcome);
    EXPECT_GE(s.sectors().size(), minSectors) << "sectors lost";
    EXPECT_LE(s.sectors().size(), maxSectors);
    expectKept(s);
    if (*c.expected.shownHas == '\0')
        EXPECT_TRUE(s.shown().isEmpty()) << s.shown().join(" | ").toStdString();
    else
        EXPECT_TRUE(s.shown().join('\n').contains(QLatin1String(c.expected.shownHas)))
            << s.shown().join(" | ").toStdString();
    report(c, outcome, s, !HasFailure());
}

// The sample day itself carries 0D 0A and A0 A1 inside its sector data.
TEST(SampleImage, HoldsFrameBytesInsideSectorData) {
    const QByteArray image = sim::sampleImage();
    EXPECT_TRUE(image.contains(QByteArray("\r\n")));
    EXPECT_TRUE(image.contains(QByteArray("\xA0\xA1")));
    EXPECT_EQ(reference(image, wholeDownload(image)).tracks().size(), 4u);
}

Case fault(const char* name, const char* what, QStringList faults, Expected expected) {
    return {Scenario{name, what, std::move(faults)}, expected};
}

Case action(const char* name, const char* what, MidAction act, Expected expected) {
    Scenario scenario{name, what, {}};
    scenario.action = act;
    return {scenario, expected};
}

Case continuous() {
    Scenario scenario{"continuous_output", "text output until the output stop", {}, true};
    return {scenario, {Outcome::Finished}};
}

INSTANTIATE_TEST_SUITE_P(
    Emulator, FaultMatrix,
    ::testing::Values(
        fault("frame_bytes_in_data", "0D 0A and A0 A1 inside sector data (sample day)", {},
              {Outcome::Finished}),
        fault("sector_checksum_once", "wrong sector checksum, once (sector 2)",
              {"block-checksum-once=2"}, {Outcome::Finished}),
        fault("sector_checksum_always", "wrong sector checksum, always (sector 3)",
              {"block-checksum-always=3"},
              {Outcome::Failed, 3, kAll, "Sector 3 could not be read (checksum error)"}),
        fault("ack_lost", "acknowledgement of 0x1D lost, once", {"reply-lost-once=0x1D"},
              {Outcome::Finished}),
        fault("raw_block_lost", "raw block of sector 1 lost, once", {"block-lost-once=1"},
              {Outcome::Finished}),
        fault("raw_block_lost_always", "raw block of sector 4 never sent", {"block-lost-always=4"},
              {Outcome::Failed, 4, kAll, "Sector 4 could not be read (no answer)"}),
        fault("user_data_lost", "user-data block lost, once", {"block-lost-once=user"},
              {Outcome::Finished}),
        fault("garbage_between_frames", "12 stray bytes before every answer", {"garbage=12"},
              {Outcome::Finished}),
        fault("reply_bad_checksum", "acknowledgement with a bad checksum, once",
              {"frame-checksum-once=0x83"}, {Outcome::Finished}),
        continuous(),
        fault("device_vanishes", "device gone after 3 sectors", {"vanish-after=3"},
              {Outcome::PortLost, 2, 3, "port lost"}),
        action("reconnect_mid_download", "Connect again after sector 2", MidAction::Reconnect,
               {Outcome::Finished}),
        action("clear_mid_download", "Clear memory after sector 2", MidAction::ClearMemory,
               {Outcome::Finished, kAll, kAll, "clear refused"})),
    [](const auto& info) { return std::string(info.param.scenario.name); });

}  // namespace
}  // namespace kav::reliability
