// Formats, export moments, the logging criteria rules, the progress text, the exit statuses and
// why a port does not open.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "cli/command_line.h"
#include "cli/config_rules.h"
#include "cli/exit_status.h"
#include "cli/progress_line.h"
#include "export/track_export.h"
#include "link/port_access.h"
#ifdef Q_OS_UNIX
#include "sim/pseudo_terminal.h"
#endif

namespace kav::cli {
namespace {

using kav::exporting::TrackFormat;

TEST(Formats, ExtensionsAreRecognisedInAnyCase) {
    using kav::exporting::formatFromExtension;
    EXPECT_EQ(formatFromExtension(u"gac"), TrackFormat::Gac);
    EXPECT_EQ(formatFromExtension(u".GAC"), TrackFormat::Gac);
    EXPECT_EQ(formatFromExtension(u"Kml"), TrackFormat::Kml);
    EXPECT_EQ(formatFromExtension(u"gpx"), TrackFormat::Gpx);
    EXPECT_FALSE(formatFromExtension(u"txt"));
    EXPECT_FALSE(formatFromExtension(u""));
    EXPECT_FALSE(formatFromExtension(u"gacx"));
    EXPECT_EQ(kav::exporting::formatOfPath(QStringLiteral("/a.b/TRACK.GPX")), TrackFormat::Gpx);
    EXPECT_FALSE(kav::exporting::formatOfPath(QStringLiteral("/a.gpx/track")));
}

TEST(Formats, OptionListsAllAndRejectsUnknownWords) {
    QString error;
    EXPECT_EQ(
        *parseFormats(QStringLiteral("all"), &error),
        (std::vector{TrackFormat::Gac, TrackFormat::Kml, TrackFormat::Gpx, TrackFormat::Igc}));
    EXPECT_EQ(*parseFormats(QStringLiteral("gpx,GAC,gpx,igc"), &error),
              (std::vector{TrackFormat::Gpx, TrackFormat::Gac, TrackFormat::Igc}));
    for (const char* bad : {"", "txt", "gac,", ".gac", ".igc"}) {
        EXPECT_FALSE(parseFormats(QString::fromLatin1(bad), &error)) << bad;
    }
}

TEST(ExportMoment, IsoTextIsUtcUnlessItSaysOtherwise) {
    QString error;
    EXPECT_EQ(*parseExportMoment(QStringLiteral("2024-05-19T10:00:00"), &error),
              QDateTime(QDate(2024, 5, 19), QTime(10, 0), Qt::UTC));
    EXPECT_EQ(*parseExportMoment(QStringLiteral("2024-05-19T12:00:00+02:00"), &error),
              QDateTime(QDate(2024, 5, 19), QTime(10, 0), Qt::UTC));
    EXPECT_FALSE(parseExportMoment(QStringLiteral("yesterday"), &error));
    EXPECT_TRUE(parseExportMoment(QString(), &error)->isValid());
}

struct CriteriaCase {
    const char* name;
    ConfigRequest request;
    qint32 timeMax, speedMin;
    bool logging;
    std::array<uint16_t, 7> expected;
};

class CriteriaTest : public ::testing::TestWithParam<CriteriaCase> {};

TEST_P(CriteriaTest, FollowsTheDialogRules) {
    const CriteriaCase& c = GetParam();
    kav::link::LogStatus status;
    status.timeMax = c.timeMax;
    status.distMax = 65535;
    status.speedMax = 65535;
    status.speedMin = c.speedMin;
    status.logging = c.logging;
    EXPECT_EQ(criteriaFor(c.request, status), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Rules, CriteriaTest,
                         ::testing::Values(CriteriaCase{"every second",
                                                        {LogEvery::Seconds, 1, 0, true},
                                                        65535,
                                                        0,
                                                        true,
                                                        {65535, 1, 65535, 0, 65535, 0, 1}},
                                           CriteriaCase{"time 0 stays 0",
                                                        {LogEvery::Seconds, 0, {}, {}},
                                                        65535,
                                                        0,
                                                        true,
                                                        {65535, 0, 65535, 0, 65535, 0, 1}},
                                           CriteriaCase{"max time 0 raised to 1",
                                                        {LogEvery::Seconds, 5, {}, {}},
                                                        0,
                                                        0,
                                                        true,
                                                        {1, 5, 65535, 0, 65535, 0, 1}},
                                           CriteriaCase{"distance 0 becomes 50",
                                                        {LogEvery::Metres, 0, {}, {}},
                                                        0,
                                                        0,
                                                        true,
                                                        {0, 0, 65535, 50, 65535, 0, 1}},
                                           CriteriaCase{"every 100 m",
                                                        {LogEvery::Metres, 100, 3, false},
                                                        65535,
                                                        9,
                                                        true,
                                                        {65535, 0, 65535, 100, 65535, 3, 0}},
                                           CriteriaCase{"logger's speed and switch kept",
                                                        {LogEvery::Seconds, 2, {}, {}},
                                                        65535,
                                                        7,
                                                        false,
                                                        {65535, 2, 65535, 0, 65535, 7, 0}},
                                           CriteriaCase{"low 16 bits",
                                                        {LogEvery::Seconds, 65537, 70000, {}},
                                                        65535,
                                                        0,
                                                        true,
                                                        {65535, 1, 65535, 0, 65535, 4464, 1}},
                                           CriteriaCase{"65536 metres is 0, then 50",
                                                        {LogEvery::Metres, 65536, {}, {}},
                                                        65535,
                                                        0,
                                                        true,
                                                        {65535, 0, 65535, 50, 65535, 0, 1}}));

TEST(ConfigNumbers, OnlyDigitsAreTaken) {
    EXPECT_EQ(parseDigits(QStringLiteral("0")), 0u);
    EXPECT_EQ(parseDigits(QStringLiteral("70000")), 70000u);
    for (const char* bad : {"", "-1", "+1", "1.5", " 1", "1e3", "99999999999999999999"})
        EXPECT_FALSE(parseDigits(QString::fromLatin1(bad))) << bad;
}

TEST(ProgressText, ShowsSectorsRateAndTimeLeft) {
    EXPECT_EQ(progressText(0, 6, 0), QStringLiteral("sector 0 of 6"));
    EXPECT_EQ(progressText(1, 6, 0), QStringLiteral("sector 1 of 6"));
    // 3 sectors of 4096 bytes in 1 s: 12 KiB/s, 3 more sectors take 1 s.
    EXPECT_EQ(progressText(3, 6, 1000), QStringLiteral("sector 3 of 6, 12.0 KiB/s, 0:01 left"));
    EXPECT_EQ(progressText(6, 6, 2000), QStringLiteral("sector 6 of 6, 12.0 KiB/s, 0:00 left"));
    EXPECT_EQ(progressText(1, 1000, 8000),
              QStringLiteral("sector 1 of 1000, 512 B/s, 2:13:12 left"));
}

struct StatusCase {
    const char* name;
    int status;
    int expected;
};

// Each kind of failure has the status a script is told it by (sysexits.h values where one fits),
// and the help documents every one of them.
TEST(ExitStatus, EachFailureKindHasItsStatus) {
    using kav::link::FailureKind;
    using kav::link::OpenResult;
    const StatusCase cases[] = {
        {"no such port", exitStatusFor(OpenResult::InvalidPort), 66},
        {"not a serial device", exitStatusFor(OpenResult::NotSerialDevice), 65},
        {"no permission", exitStatusFor(OpenResult::NoPermission), 77},
        {"port busy", exitStatusFor(OpenResult::InUse), 75},
        {"lock file left behind", exitStatusFor(OpenResult::StaleLock), 72},
        {"other open failure", exitStatusFor(OpenResult::Failed), 71},
        {"no answer", exitStatusFor(FailureKind::NoAnswer), 69},
        {"bad checksum", exitStatusFor(FailureKind::BadChecksum), 76},
        {"bad trailer", exitStatusFor(FailureKind::BadTrailer), 76},
        {"short reply", exitStatusFor(FailureKind::ShortReply), 76},
        {"refused", exitStatusFor(FailureKind::Refused), 76},
        {"line rate", exitStatusFor(FailureKind::LineRate), 76},
        {"port lost", exitStatusFor(FailureKind::PortLost), 74},
        {"send failed", exitStatusFor(FailureKind::SendFailed), 74},
        {"not written beats interrupted", moreSevere(130, 73), 73},
        {"interrupted beats a failure", moreSevere(74, 130), 130},
        {"a failure beats a missing track", moreSevere(1, 69), 69},
        {"the first of two failures", moreSevere(69, 74), 69},
    };
    const QString help = exitStatusHelp();
    for (const StatusCase& c : cases) {
        EXPECT_EQ(c.status, c.expected) << c.name;
        EXPECT_TRUE(help.contains(QStringLiteral("\n  %1 ").arg(c.status))) << c.name;
    }
}

#ifdef Q_OS_UNIX
// A process id no system hands out (above the largest pid_max).
constexpr qint64 kNoSuchProcess = 2147483000;

// Who holds a port that does not open; a lock file is looked for in a folder of the test's own.
// (Files, folders and permissions are rows of the command line's end-to-end tables.)
TEST(PortAccess, TellsApartWhyAPortDoesNotOpen) {
    using kav::link::OpenResult;
    using kav::link::PortProblem;
    QTemporaryDir dir;
    const QString locks = dir.filePath(QStringLiteral("locks"));
    const QString lock = QDir(locks).filePath(QStringLiteral("LCK..null"));
    ASSERT_TRUE(QDir().mkpath(locks));
    kav::sim::PseudoTerminal pty;
    ASSERT_TRUE(pty.open());
    QProcess holder;  // holds the pseudo-terminal open
    holder.setStandardInputFile(pty.slavePath());
    holder.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(holder.waitForStarted());
    QFile stale(lock);  // names a process that has ended, as UUCP writes it
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray::number(kNoSuchProcess).rightJustified(10, ' ') + '\n');
    stale.close();
    const struct {
        const char* name;
        PortProblem got;
        OpenResult kind;
        QString detail;  // a part of the detail
    } cases[] = {
        {"held open by a program", kav::link::diagnoseRefusal(pty.slavePath(), {locks}),
         OpenResult::InUse, QStringLiteral("sleep (process %1)").arg(holder.processId())},
        {"lock of an ended program", kav::link::diagnoseRefusal(QStringLiteral("null"), {locks}),
         OpenResult::StaleLock, lock},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got.kind, c.kind) << c.name << ": " << c.got.detail.toStdString();
        EXPECT_TRUE(c.got.detail.contains(c.detail))
            << c.name << ": " << c.got.detail.toStdString();
    }
    holder.kill();
    holder.waitForFinished();
}
#endif

}  // namespace
}  // namespace kav::cli
