#include "matrix.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <QDir>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTest>

#include "../../common/tracks_of.h"
#include "link/frame.h"

namespace kav::reliability {

namespace {

constexpr qsizetype kSector = 4096;

Scenario row(const char* name, const char* what, QStringList faults, Expected expected = {}) {
    return Scenario{name, what, std::move(faults), expected};
}

// Words that tell the user something went wrong.
bool soundsWrong(const QString& told) {
    for (const char* word : {"incomplete", "could not", "went away", "refused", "not answer"})
        if (told.contains(QLatin1String(word), Qt::CaseInsensitive)) return true;
    return false;
}

}  // namespace

QByteArray sampleImage() {
    return sim::sampleImage();
}

sim::EmulatorOptions emulatorOptions(const Scenario& scenario, bool paced) {
    sim::EmulatorOptions o;
    o.image = sampleImage();
    o.fast = !paced;
    o.faults = scenario.faults;
    o.continuousOutput = scenario.continuousOutput;
    return o;
}

// The wire faults run through the serial stack; every other one runs against the conversation
// core at virtual time (FaultMatrix in tests/fuzz/conversation). These are the ones the port,
// its pacing, its real line rates or the loss of the device could break: a clean run through
// the rate switch, a failure that must reach the user, the device gone at either speed, the
// faster rate refused (the port stays at 115200) or left over on the device, and text streaming
// before the output stop.
std::vector<Scenario> faultRows() {
    const Expected failedAt3{false, 3, 3, "Sector 3 could not be read (checksum error)"};
    std::vector<Scenario> rows{
        row("frame_bytes_in_data", "0D 0A and A0 A1 inside sector data (sample day)", {}),
        row("sector_checksum_always", "wrong sector checksum, always (sector 3)",
            {"block-checksum-always=3"}, failedAt3),
        row("device_vanishes", "device gone after 3 sectors", {"vanish-after=3"},
            {false, 0, 3, "went away"}),
        row("rate_refused", "230400 baud refused (0x05 answered 0x84)", {"refuse-once=0x05"},
            {true, -1, -1, "refused 230400 baud"}),
    };
    Scenario leftFast = row("logger_left_at_230400", "logger left at 230400 by another program", {},
                            {true, -1, -1, "logger found at 230400 baud, put back at 115200"});
    leftFast.loggerLeftFast = true;
    rows.push_back(leftFast);
    Scenario standardVanish =
        row("standard_device_vanishes", "standard speed: device gone after 3 sectors",
            {"vanish-after=3"}, {false, 2, 3, "went away"});
    standardVanish.speed = "standard";
    rows.push_back(standardVanish);
    Scenario output = row("continuous_output", "text output until the output stop", {});
    output.continuousOutput = true;
    rows.push_back(output);
    return rows;
}

bool startLogger(sim::Emulator& emulator, const Scenario& scenario) {
    QString error;
    if (!emulator.start(&error)) return false;
    if (!scenario.loggerLeftFast) return true;
    QSerialPort port(emulator.ptyPath());
    if (!port.open(QIODevice::ReadWrite) || !port.setBaudRate(115200)) return false;
    port.write(link::buildFrame(0x05, QByteArray("\x00\x06\x00", 3)));
    QByteArray answer;
    (void)QTest::qWaitFor(
        [&] {
            answer += port.readAll();
            return answer.contains(link::buildFrame(0x83, QByteArray(1, 0x05)));
        },
        2000);
    return QTest::qWaitFor([&] { return emulator.lineRate() == 230400; }, 2000);
}

void checkAndReport(const char* frontEnd, const Scenario& s, const Result& r) {
    const QByteArray image = sampleImage();
    const int all = int(image.size() / kSector);
    const int minSectors = s.expected.minSectors < 0 ? all : s.expected.minSectors;
    const int maxSectors = s.expected.maxSectors >= 0 ? s.expected.maxSectors : minSectors;
    const int kept = int(r.memory.size() / kSector);

    EXPECT_TRUE(r.ended) << "no end (hang)";
    EXPECT_EQ(r.complete, s.expected.complete) << qPrintable(r.told);
    EXPECT_EQ(r.memory.size() % kSector, 0);
    EXPECT_GE(kept, minSectors) << "sectors lost";
    EXPECT_LE(kept, maxSectors);
    EXPECT_TRUE(r.memory == image.left(r.memory.size())) << "a sector kept is not the logger's";
    const std::size_t tracks = kav::testing::tracksOfFirstSectors(image, kept);
    if (r.tracks >= 0) {
        EXPECT_EQ(std::size_t(r.tracks), tracks);
    }
    EXPECT_EQ(r.lastNamedIncomplete, !r.complete && tracks > 0);
    if (kept > 0) {
        EXPECT_EQ(r.firmware, QStringLiteral("1.4.20"));
    }
    // Whatever happened, a logger still there is left at 115200, also one left fast before.
    if (r.loggerRate != 0) {
        EXPECT_EQ(r.loggerRate, 115200);
    }
    if (*s.expected.told == '\0') {
        EXPECT_FALSE(soundsWrong(r.told)) << qPrintable(r.told);
    } else {
        EXPECT_TRUE(r.told.contains(QLatin1String(s.expected.told))) << qPrintable(r.told);
    }

    const bool passed = !::testing::Test::HasFailure();
    QString told = r.told.isEmpty() ? QStringLiteral("nothing") : r.told;
    // The test's own temporary folders say nothing to a reader of the report.
    told.replace(QRegularExpression(QRegularExpression::escape(QDir::tempPath()) +
                                    QStringLiteral("/[^/ ]+/")),
                 QString());
    std::printf("RELIABILITY|%s|%s|%s|%s|%d of %d sectors, %zu tracks%s|%s\n", frontEnd, s.name,
                s.what, qPrintable(QString(told).replace(u'\n', u' ').replace(u'|', u'/')), kept,
                all, tracks, r.lastNamedIncomplete ? ", last named incomplete" : "",
                passed ? "pass" : "FAIL");
    std::fflush(stdout);
}

}  // namespace kav::reliability
