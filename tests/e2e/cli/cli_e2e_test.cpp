// kav-skytraq-cli as a separate process against the emulated logger (in this process, at full
// speed) over the real serial stack.

#include <csignal>
#include <functional>

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>

#include "../../common/recording_store.h"
#include "../../common/test_files.h"
#include "cli/download_job.h"
#include "link/command_set.h"
#include "link/frame.h"
#include "link/serial_transport.h"
#include "log/track_list.h"
#include "sim/emulator.h"
#include "sim/pseudo_terminal.h"

namespace kav::cli {
using kav::testing::countElements;
using kav::testing::readAll;

namespace {

const QString kMoment = QStringLiteral("2024-05-19T10:00:00Z");

void ensureApplication() {
    static int argc = 1;
    static char name[] = "cli_e2e_tests";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance()) return;
    // Emulator announcements and the logbook go to folders of this test's own, shared with the
    // programs it runs.
    static QTemporaryDir runtime, data;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    new QCoreApplication(argc, argv);
}

struct CliRun {
    int code = -1;
    QString out, err;
};

// Runs the program while this process's event loop keeps the emulator answering; inChild runs
// in the program's process before it starts.
CliRun runCli(const QStringList& args, int limitMs = 30000,
              const std::function<void()>& inChild = {}) {
    QProcess process;
    if (inChild) process.setChildProcessModifier(inChild);
    process.start(QStringLiteral(KAV_CLI_PATH), args);
    process.closeWriteChannel();
    const bool done =
        QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, limitMs);
    if (!done) {
        process.kill();
        process.waitForFinished();
    }
    EXPECT_TRUE(done) << args.join(u' ').toStdString();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

struct Logger {
    explicit Logger(QStringList faults = {}, QString serial = QStringLiteral("GT730-0123456789"),
                    bool announce = false, int rate = 115200) {
        ensureApplication();
        sim::EmulatorOptions options;
        options.image = sim::sampleImage();
        options.fast = true;
        options.announce = announce;
        options.startRate = rate;
        options.faults = std::move(faults);
        options.serialNumber = std::move(serial);
        emulator = std::make_unique<sim::Emulator>(options);
        QString error;
        EXPECT_TRUE(emulator->start(&error)) << error.toStdString();
    }
    QString port() const { return emulator->ptyPath(); }
    std::unique_ptr<sim::Emulator> emulator;
};

kav::log::LogCollection sampleLog() {
    const QByteArray image = sim::sampleImage();
    kav::log::LogCollection log;
    for (qsizetype at = 0; at + 4096 <= image.size(); at += 4096)
        log.SavePacket(std::span(reinterpret_cast<const uint8_t*>(image.constData() + at), 4096));
    return log;
}

QStringList filesIn(const QString& dir, const QString& pattern = QStringLiteral("*")) {
    return QDir(dir).entryList({pattern}, QDir::Files, QDir::Name);
}

TEST(CliDownload, SavesEveryTrackInEveryFormat) {
    Logger logger;
    QTemporaryDir out;
    const CliRun run = runCli({QStringLiteral("download"), QStringLiteral("--port"), logger.port(),
                               QStringLiteral("--out"), out.path(), QStringLiteral("--format"),
                               QStringLiteral("all"), QStringLiteral("--export-time"), kMoment});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_FALSE(
        run.err.contains(QStringLiteral("sector 1 of")));  // no progress line off a terminal
    const kav::log::LogCollection expected = sampleLog();
    const QStringList gpx = filesIn(out.path(), QStringLiteral("*.gpx"));
    const QStringList gac = filesIn(out.path(), QStringLiteral("*.gac"));
    const QStringList kml = filesIn(out.path(), QStringLiteral("*.kml"));
    ASSERT_EQ(std::size_t(gpx.size()), expected.tracks().size());
    ASSERT_EQ(gac.size(), gpx.size());
    ASSERT_EQ(kml.size(), gpx.size());
    ASSERT_EQ(filesIn(out.path(), QStringLiteral("*.igc")).size(), gpx.size());
    EXPECT_EQ(run.out.split(u'\n', Qt::SkipEmptyParts).size(), 4 * gpx.size());
    for (int k = 0; k < gpx.size(); ++k) {
        const kav::log::Track& t = expected.tracks()[std::size_t(k)];
        const int fixes = int(t.last - t.first + 1);
        EXPECT_TRUE(gpx[k].startsWith(QStringLiteral("GT730-01234567_2022-05-")))
            << gpx[k].toStdString();
        EXPECT_EQ(
            countElements(readAll(QDir(out.path()).filePath(gpx[k])), QStringLiteral("trkpt")),
            fixes);
        EXPECT_EQ(int(readAll(QDir(out.path()).filePath(gac[k])).count("\r\nB")), fixes);
        EXPECT_EQ(
            countElements(readAll(QDir(out.path()).filePath(kml[k])), QStringLiteral("Placemark")),
            1);
    }
}

TEST(CliDownload, ASecondDownloadNeverReplacesTheFirstAndMissingTracksFail) {
    Logger logger;
    QTemporaryDir out;
    const QStringList args{QStringLiteral("download"),
                           QStringLiteral("--port"),
                           logger.port(),
                           QStringLiteral("--out"),
                           out.path(),
                           QStringLiteral("--tracks"),
                           QStringLiteral("2,9")};
    const CliRun first = runCli(args);
    EXPECT_EQ(first.code, 1);  // not all that was asked for
    EXPECT_TRUE(first.err.contains(QStringLiteral("there is no track 9")))
        << first.err.toStdString();
    const QStringList once = filesIn(out.path());
    ASSERT_EQ(once.size(), 1);
    const QByteArray firstBytes = readAll(QDir(out.path()).filePath(once[0]));
    EXPECT_EQ(runCli(args).code, 1);
    const QStringList twice = filesIn(out.path());
    ASSERT_EQ(twice.size(), 2);
    EXPECT_TRUE(
        twice.contains(QString(once[0]).replace(QStringLiteral(".gac"), QStringLiteral("_1.gac"))));
    EXPECT_EQ(readAll(QDir(out.path()).filePath(once[0])), firstBytes);
}

TEST(CliRawLog, DownloadWithRawThenConvertGivesIdenticalFiles) {
    Logger logger;
    QTemporaryDir dir;
    const QString raw = QDir(dir.path()).filePath(QStringLiteral("memory.bin"));
    const QString direct = QDir(dir.path()).filePath(QStringLiteral("direct"));
    const QString converted = QDir(dir.path()).filePath(QStringLiteral("converted"));
    const CliRun download =
        runCli({QStringLiteral("download"), QStringLiteral("--port"), logger.port(),
                QStringLiteral("--out"), direct, QStringLiteral("--format"), QStringLiteral("all"),
                QStringLiteral("--raw"), raw, QStringLiteral("--export-time"), kMoment});
    ASSERT_EQ(download.code, 0) << download.err.toStdString();
    EXPECT_TRUE(sim::sampleImage().startsWith(readAll(raw)));
    EXPECT_EQ(readAll(raw).size() % 4096, 0);

    const CliRun list = runCli({QStringLiteral("list"), raw});
    EXPECT_EQ(list.code, 0);
    EXPECT_TRUE(list.out.contains(QStringLiteral("%1 tracks").arg(sampleLog().tracks().size())))
        << list.out.toStdString();

    const CliRun convert = runCli({QStringLiteral("convert"), raw, QStringLiteral("--out"),
                                   converted, QStringLiteral("--format"), QStringLiteral("all"),
                                   QStringLiteral("--export-time"), kMoment});
    ASSERT_EQ(convert.code, 0) << convert.err.toStdString();
    const QStringList names = filesIn(direct);
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(filesIn(converted), names);
    for (const QString& name : names)
        EXPECT_EQ(readAll(QDir(direct).filePath(name)), readAll(QDir(converted).filePath(name)))
            << name.toStdString();
}

TEST(CliInfoConfig, NewCriteriaShowInTheNextStatus) {
    Logger logger;
    const CliRun before = runCli({QStringLiteral("info"), QStringLiteral("--port"), logger.port()});
    ASSERT_EQ(before.code, 0) << before.err.toStdString();
    for (const char* line :
         {"Serial number: GT730-01234567", "Firmware: ", "Sectors used: 16 of 512",
          "Sectors a download reads: 17", "Minimum time: 1 s", "Logging: on"})
        EXPECT_TRUE(before.out.contains(QString::fromLatin1(line)))
            << line << before.out.toStdString();

    const CliRun config = runCli({QStringLiteral("config"), QStringLiteral("--port"), logger.port(),
                                  QStringLiteral("--every-metres"), QStringLiteral("0"),
                                  QStringLiteral("--min-speed"), QStringLiteral("5"),
                                  QStringLiteral("--log"), QStringLiteral("off")});
    ASSERT_EQ(config.code, 0) << config.err.toStdString();
    EXPECT_EQ(config.out.trimmed(), QStringLiteral("Successfully set : log position each 50meter"));

    const CliRun after = runCli({QStringLiteral("info"), QStringLiteral("--port"), logger.port()});
    for (const char* line :
         {"Minimum time: 0 s", "Minimum distance: 50 m", "Minimum speed: 5 km/h", "Logging: off"})
        EXPECT_TRUE(after.out.contains(QString::fromLatin1(line)))
            << line << after.out.toStdString();
}

TEST(CliInfoConfig, ARefusedConfigurationFails) {
    Logger logger({QStringLiteral("refuse-criteria")});
    const CliRun config = runCli({QStringLiteral("config"), QStringLiteral("--port"), logger.port(),
                                  QStringLiteral("--every-seconds"), QStringLiteral("1")});
    EXPECT_EQ(config.code, 76);
    EXPECT_TRUE(config.out.startsWith(QStringLiteral("Unsucessefully set")))
        << config.out.toStdString();
}

TEST(CliErase, ClearsWithYesAndRefusesWithoutATerminal) {
    Logger logger;
    const QStringList erase{QStringLiteral("erase"), QStringLiteral("--port"), logger.port()};
    const CliRun refused = runCli(erase);
    EXPECT_EQ(refused.code, 64);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("--yes")));
    EXPECT_FALSE(logger.emulator->memory().isEmpty());

    QTemporaryDir dir;
    const QString raw = QDir(dir.path()).filePath(QStringLiteral("copy.bin"));
    const CliRun cleared =
        runCli(erase + QStringList{QStringLiteral("--yes"), QStringLiteral("--raw"), raw});
    ASSERT_EQ(cleared.code, 0) << cleared.err.toStdString();
    EXPECT_TRUE(cleared.out.contains(QStringLiteral("Memory cleared")));
    EXPECT_TRUE(sim::sampleImage().startsWith(readAll(raw)));
    EXPECT_FALSE(readAll(raw).isEmpty());
    const CliRun info = runCli({QStringLiteral("info"), QStringLiteral("--port"), logger.port()});
    EXPECT_TRUE(info.out.contains(QStringLiteral("Sectors used: 0 of"))) << info.out.toStdString();
}

// A port that streams frames nobody asked for: each kind of message is printed once, then
// counted, instead of filling standard error.
TEST(CliNoise, RepeatedMessagesArePrintedOnceWithACount) {
    ensureApplication();
    sim::PseudoTerminal noisy;
    ASSERT_TRUE(noisy.open());
    QTimer stream;
    QObject::connect(&stream, &QTimer::timeout, &stream, [&noisy] {
        noisy.write(link::buildFrame(0xAE, "noise") + QByteArray("\x55\xAA\x0D\x0A", 4));
    });
    stream.start(5);
    const CliRun info =
        runCli({QStringLiteral("info"), QStringLiteral("--port"), noisy.slavePath()});
    EXPECT_EQ(info.code, 69);  // no answer among the noise
    EXPECT_LE(info.err.count(u'\n'), 4) << info.err.toStdString();
    EXPECT_TRUE(info.err.contains(QStringLiteral("Transmission failure : [$AE]")));
    EXPECT_TRUE(
        info.err.contains(QStringLiteral("more \"Transmission failure\" messages not shown")))
        << info.err.toStdString();
}

// Four loggers plugged in at once (one before the station starts), one going away after 10 sectors:
// each is read in its own folder (the listed pilot's under its name), every whole one cleared and
// the cut one not; a logger plugged in again with the same memory is already done and nothing is
// saved twice.
// The raw copy and every track file are written whole, flushed in one go, named, their folder
// synced, and only then is the logger asked to clear its memory.
TEST(CliDownload, TheClearComesOnlyAfterEveryFileIsOnTheDisk) {
    Logger logger;
    QTemporaryDir out;
    QStringList calls;
    QObject::connect(logger.emulator.get(), &sim::Emulator::commandReceived, logger.emulator.get(),
                     [&calls](quint8 id) {
                         if (id == link::msg::ClearMemory) calls << QStringLiteral("c");
                     });
    kav::testing::RecordingStore store(calls);
    cli::DownloadJob job;
    job.port = logger.port();
    job.save.folder = out.path();
    job.save.formats = {exporting::TrackFormat::Gac, exporting::TrackFormat::Igc};
    job.save.exportMoment = QDateTime::fromString(kMoment, Qt::ISODate);
    job.eraseAfter = job.rawInFolder = true;
    job.store = &store;
    link::SerialTransport transport;
    cli::JobReport report;
    EXPECT_EQ(cli::runDownloadJob(job, transport, nullptr, QStringLiteral("download"), &report), 0);
    EXPECT_TRUE(report.cleared) << report.notCleared.toStdString();
    const int files = 2 * int(sampleLog().tracks().size()) + 2;
    const QString order = kav::testing::callLetters(calls);
    EXPECT_EQ(order, QString(files, u'w') + u'f' + QString(files, u'r') + QStringLiteral("sc"));
    EXPECT_EQ(calls.filter(QRegularExpression(QStringLiteral("^f "))),
              QStringList{QStringLiteral("f %1").arg(files)});
    EXPECT_EQ(readAll(out.filePath(filesIn(out.path(), QStringLiteral("*.bin")).value(0))),
              sim::sampleImage());
    EXPECT_EQ(filesIn(out.path()).size(), files);
}

TEST(CliWatch, ServesLoggersAtOnceAndClearsOnlyWholeSavedOnes) {
    ensureApplication();
    QTemporaryDir out;
    const QString pilots = out.filePath(QStringLiteral("pilots.csv"));
    QFile pilotFile(pilots);
    ASSERT_TRUE(pilotFile.open(QIODevice::WriteOnly));
    pilotFile.write("serial,id,name\nGT730-AAAA,12,Anna Berg\n");
    pilotFile.close();
    // One logger is plugged in before the station starts; the others once it waits.
    std::vector<std::unique_ptr<Logger>> plugged;
    plugged.push_back(std::make_unique<Logger>(QStringList{}, QStringLiteral("GT730-DDDD"), true));
    QProcess watch;
    watch.start(
        QStringLiteral(KAV_CLI_PATH),
        {QStringLiteral("watch"), QStringLiteral("--out"), out.filePath("task"),
         QStringLiteral("--format"), QStringLiteral("gpx"), QStringLiteral("--erase-after"),
         QStringLiteral("--pilots"), pilots, QStringLiteral("--zip"), out.filePath("task.zip")});
    QString err, lines;
    const auto linesFor = [&](int count) {
        return QTest::qWaitFor(
            [&] {
                err += QString::fromLocal8Bit(watch.readAllStandardError());
                lines += QString::fromLocal8Bit(watch.readAllStandardOutput());
                return lines.count(u'\n') >= count;
            },
            30000);
    };
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            err += QString::fromLocal8Bit(watch.readAllStandardError());
            return err.contains(QStringLiteral("Waiting for loggers"));
        },
        10000));
    const int tracks = int(sampleLog().tracks().size());
    const struct {
        const char* serial;
        QStringList faults;
        const char* folder;
        int files;  // GPX and IGC of each track, with the raw copy and its side file
        const char* outcome;
    } rows[] = {{"GT730-AAAA", {}, "Anna_Berg.12", 2 * tracks + 2, "complete, cleared"},
                {"GT730-BBBB", {QStringLiteral("vanish-after=10")}, "GT730-BBBB", 0, "not cleared"},
                {"GT730-CCCC", {}, "GT730-CCCC", 2 * tracks + 2, "complete, cleared"},
                {"GT730-DDDD", {}, "GT730-DDDD", 2 * tracks + 2, "complete, cleared"}};
    for (const auto& row : rows)
        if (QLatin1String(row.serial) != QLatin1String("GT730-DDDD"))
            plugged.push_back(
                std::make_unique<Logger>(row.faults, QString::fromLatin1(row.serial), true));
    ASSERT_TRUE(linesFor(4)) << err.toStdString();
    for (const auto& row : rows) {
        const QString line = lines.split(u'\n').filter(QString::fromLatin1(row.serial)).value(0);
        EXPECT_TRUE(line.contains(QString::fromLatin1(row.outcome))) << line.toStdString();
        const QString folder = QDir(out.filePath("task")).filePath(QString::fromLatin1(row.folder));
        if (row.files > 0) {
            EXPECT_EQ(filesIn(folder).size(), row.files) << row.serial;
        }
    }
    EXPECT_TRUE(
        QFile::exists(QDir(out.filePath("task")).filePath("Anna_Berg.12/Anna_Berg.12.gpx")));
    QFile raw(QDir(out.filePath("task")).filePath("Anna_Berg.12/Anna_Berg.12.bin"));
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_EQ(raw.readAll(), sim::sampleImage());

    // Met again on a port of its own (the others still plugged, so no name is reused before
    // the program has seen it go), the memory saved whole before is not saved twice.
    Logger again({}, QStringLiteral("GT730-CCCC"), true);
    ASSERT_TRUE(linesFor(5)) << err.toStdString();
    EXPECT_TRUE(lines.split(u'\n').value(4).contains(QStringLiteral("already done")))
        << lines.toStdString();
    EXPECT_EQ(filesIn(QDir(out.filePath("task")).filePath("GT730-CCCC")).size(), 2 * tracks + 2);
    plugged.clear();
    watch.terminate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(watch.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watch.exitCode(), 74);  // the second logger went away
    // The run's IGC files in one zip: its entries are named in the archive's directory.
    const QByteArray zip = readAll(out.filePath("task.zip"));
    EXPECT_TRUE(zip.startsWith("PK\x03\x04"));
    EXPECT_TRUE(zip.contains("Anna_Berg.12.igc"));
    EXPECT_EQ(QDir(out.path()).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden),
              QStringList{});
}

// --erase-after, and erase after its copy, clear only the logger read: one swapped onto the same
// port before the clear (its answer to the first sector held until then) is left alone, and the
// program says so.
TEST(CliDownload, EraseAfterLeavesALoggerSwappedOntoThePortAlone) {
    ensureApplication();
    QTemporaryDir out;
    const QString port = out.filePath(QStringLiteral("ttyLOGGER"));
    const auto emulator = [&](const char* serial) {
        sim::EmulatorOptions options;
        options.image = sim::sampleImage();
        options.fast = true;
        options.announce = false;
        options.serialNumber = QLatin1String(serial);
        auto e = std::make_unique<sim::Emulator>(options);
        EXPECT_TRUE(e->start());
        return e;
    };
    const QStringList commands[] = {
        {QStringLiteral("download"), QStringLiteral("--out"), out.filePath(QStringLiteral("task")),
         QStringLiteral("--erase-after")},
        {QStringLiteral("erase"), QStringLiteral("--yes"), QStringLiteral("--raw"),
         out.filePath(QStringLiteral("copy.bin"))}};
    for (const QStringList& command : commands) {
        const auto read = emulator("GT730-AAAA"), swapped = emulator("GT730-BBBB");
        QFile::remove(port);
        ASSERT_TRUE(QFile::link(read->ptyPath(), port));
        read->holdAnswers(0x1D, 1);
        QObject::connect(read.get(), &sim::Emulator::commandReceived, read.get(), [&](quint8 id) {
            if (id != 0x1D) return;
            QFile::remove(port);
            QFile::link(swapped->ptyPath(), port);
            read->releaseAnswers();
        });
        const CliRun run = runCli(command + QStringList{QStringLiteral("--port"), port});
        EXPECT_EQ(run.code, 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String("the logger on the port (GT730-BBBB")))
            << run.err.toStdString();
        EXPECT_EQ(swapped->memory(), sim::sampleImage());
        EXPECT_EQ(read->memory(), sim::sampleImage());
    }
}

// Ctrl+C while two loggers are being read (each holding its second block's answer until the
// station said it saw the signal): both keep what was read, neither is cleared.
TEST(CliWatch, CtrlCWithTwoLoggersInProgressSavesBothClearsNeither) {
    ensureApplication();
    QTemporaryDir out;
    const Logger first({}, QStringLiteral("GT730-EEEE"), true),
        second({}, QStringLiteral("GT730-FFFF"), true);
    int asked = 0;
    for (const Logger* l : {&first, &second}) {
        l->emulator->holdAnswers(0x1D, 2);
        QObject::connect(l->emulator.get(), &sim::Emulator::commandReceived, l->emulator.get(),
                         [&asked, n = 0](quint8 id) mutable {
                             if (id == 0x1D && ++n == 2) ++asked;
                         });
    }
    QProcess watch;
    watch.start(QStringLiteral(KAV_CLI_PATH), {QStringLiteral("watch"), QStringLiteral("--out"),
                                               out.path(), QStringLiteral("--erase-after")});
    QString err, lines;
    const auto read = [&] {
        err += QString::fromLocal8Bit(watch.readAllStandardError());
        lines += QString::fromLocal8Bit(watch.readAllStandardOutput());
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked == 2; }, 20000)) << err.toStdString();
    ::kill(pid_t(watch.processId()), SIGINT);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            read();
            return err.count(QLatin1String("stopping after the sectors being read")) == 2;
        },
        10000))
        << err.toStdString();
    first.emulator->releaseAnswers();
    second.emulator->releaseAnswers();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            read();
            return watch.state() == QProcess::NotRunning;
        },
        20000));
    read();
    EXPECT_EQ(watch.exitCode(), 130) << err.toStdString();
    for (const Logger* l : {&first, &second}) {
        EXPECT_EQ(l->emulator->memory(), sim::sampleImage());
    }
    for (const char* serial : {"GT730-EEEE", "GT730-FFFF"}) {
        const QString line = lines.split(u'\n').filter(QLatin1String(serial)).value(0);
        EXPECT_TRUE(line.contains(QLatin1String("not cleared"))) << line.toStdString();
        EXPECT_FALSE(filesIn(QDir(out.path()).filePath(QLatin1String(serial))).isEmpty()) << serial;
    }
}

// A logger a run before left at 921600 (cut while fast) is found there, put back at 115200 and
// read whole; the user is told.
TEST(CliDownload, FindsALoggerLeftFastAndPutsItBack) {
    Logger logger({}, QStringLiteral("GT730-0123456789"), false, 921600);
    QTemporaryDir out;
    const QString raw = QDir(out.path()).filePath(QStringLiteral("memory.bin"));
    const CliRun run = runCli({QStringLiteral("download"), QStringLiteral("--port"), logger.port(),
                               QStringLiteral("--out"), out.path(), QStringLiteral("--raw"), raw});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("logger found at 921600 baud, put back at 115200")))
        << run.err.toStdString();
    EXPECT_TRUE(readAll(raw) == sim::sampleImage());
    EXPECT_EQ(logger.emulator->lineRate(), 115200);
}

struct EndCase {
    const char* name;
    std::vector<int> sent;  // signals sent when the second block is asked for
    bool outputClosed;      // standard output's reader has gone, as with `| head -1`
    int code;
};

// However the run ends, what was read is saved and the logger is left at 115200 baud: a
// terminal that closes (SIGHUP, often twice) as SIGTERM does; a closed standard output costs
// nothing.
class CliEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(CliEnd, SavesWhatWasReadAndRestoresTheLogger) {
    const EndCase& c = GetParam();
    Logger logger;
    QTemporaryDir out;
    const QString raw = QDir(out.path()).filePath(QStringLiteral("memory.bin"));
    QProcess process;
    // The second block's answer waits until the program has said it saw the signal.
    int requests = 0;
    bool signalled = false;
    if (!c.sent.empty()) logger.emulator->holdAnswers(0x1D, 2);
    QObject::connect(logger.emulator.get(), &sim::Emulator::commandReceived, &process,
                     [&](quint8 id) {
                         if (id != 0x1D || requests++ != 1) return;
                         for (int number : c.sent) ::kill(pid_t(process.processId()), number);
                         signalled = !c.sent.empty();
                     });
    QString err;
    QObject::connect(&process, &QProcess::readyReadStandardError, &process, [&] {
        err += QString::fromLocal8Bit(process.readAllStandardError());
        if (signalled && err.contains(QLatin1String("stopping after the sectors being read")))
            logger.emulator->releaseAnswers();
    });
    if (c.outputClosed)
        process.setChildProcessModifier([] {
            int fds[2];
            if (::pipe(fds) != 0) return;
            ::dup2(fds[1], STDOUT_FILENO);
            ::close(fds[0]);
            ::close(fds[1]);
        });
    process.start(QStringLiteral(KAV_CLI_PATH),
                  {QStringLiteral("download"), QStringLiteral("--port"), logger.port(),
                   QStringLiteral("--out"), out.path(), QStringLiteral("--raw"), raw});
    ASSERT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 30000));
    err += QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), c.code) << err.toStdString();
    EXPECT_TRUE(sim::sampleImage().startsWith(readAll(raw)) && !readAll(raw).isEmpty());
    const QStringList tracks = filesIn(out.path(), QStringLiteral("*.gac"));
    EXPECT_FALSE(tracks.isEmpty());
    EXPECT_EQ(tracks.filter(QStringLiteral("_incomplete")).size(), c.sent.empty() ? 0 : 1)
        << tracks.join(u' ').toStdString();
    EXPECT_EQ(logger.emulator->lineRate(), 115200);
}

INSTANTIATE_TEST_SUITE_P(Rows, CliEnd,
                         ::testing::Values(EndCase{"sigterm", {SIGTERM}, false, 130},
                                           EndCase{"sighup", {SIGHUP}, false, 130},
                                           EndCase{"sighup_twice", {SIGHUP, SIGHUP}, false, 130},
                                           EndCase{"output_closed", {}, true, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// Drops the right to open what the user may not, as a user outside the device's group: root
// loses its override of file permissions, anyone else is that already.
void asUserWithoutOverride() {
    if (::geteuid() != 0) return;
    if (::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE) == 0 &&
        ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH) == 0)
        return;
    (void)!::setgid(65534);
    (void)!::setuid(65534);
}

// True once process pid has path open.
bool holds(qint64 pid, const QString& path) {
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System))
        if (QFile::symLinkTarget(fds.filePath(fd)) == path) return true;
    return false;
}

// A port that exists but is refused: without permission, or held by another run.
TEST(CliPortRefused, NoPermissionAndPortBusyHaveTheirStatus) {
    ensureApplication();
    sim::PseudoTerminal pty;
    ASSERT_TRUE(pty.open());
    const QStringList info{QStringLiteral("info"), QStringLiteral("--port"), pty.slavePath()};
    QProcess holder;  // nothing answers it, so it waits
    holder.start(QStringLiteral(KAV_CLI_PATH), info);
    ASSERT_TRUE(QTest::qWaitFor([&] { return holds(holder.processId(), pty.slavePath()); }, 5000));
    EXPECT_EQ(runCli(info).code, 75);
    holder.kill();
    holder.waitForFinished();

    ASSERT_TRUE(QFile::setPermissions(pty.slavePath(), {}));
    EXPECT_EQ(runCli(info, 30000, asUserWithoutOverride).code, 77);
}

struct ExitCase {
    const char* name;
    QStringList args;
    int code;
    const char* says = "";  // a part of what is printed
};

TEST(CliExitCodes, UsageErrorsFailuresAndHelp) {
    ensureApplication();
    QTemporaryDir dir;
    const QString out = dir.path();
    const QString none = QDir(out).filePath(QStringLiteral("none"));
    const QString raw = QDir(out).filePath(QStringLiteral("memory.bin"));
    QFile rawFile(raw);
    ASSERT_TRUE(rawFile.open(QIODevice::WriteOnly));
    rawFile.write(sim::sampleImage());
    rawFile.close();
    const std::vector<ExitCase> cases{
        {"no command", {}, 64},
        {"unknown command", {QStringLiteral("bogus")}, 64},
        {"overview", {QStringLiteral("--help")}, 0},
        {"command help", {QStringLiteral("watch"), QStringLiteral("--help")}, 0},
        {"no port", {QStringLiteral("download"), QStringLiteral("--out"), out}, 64},
        {"no out", {QStringLiteral("download"), QStringLiteral("--port"), none}, 64},
        {"bad format",
         {QStringLiteral("convert"), none, QStringLiteral("--out"), out, QStringLiteral("--format"),
          QStringLiteral("txt")},
         64},
        {"bad tracks",
         {QStringLiteral("convert"), none, QStringLiteral("--out"), out, QStringLiteral("--tracks"),
          QStringLiteral("0")},
         64},
        {"no such port", {QStringLiteral("info"), QStringLiteral("--port"), "ttyKAV99"}, 66},
        {"port is a folder", {QStringLiteral("info"), QStringLiteral("--port"), out}, 65},
        {"port is a file", {QStringLiteral("info"), QStringLiteral("--port"), raw}, 65},
        {"no such file", {QStringLiteral("list"), none}, 66},
        {"folder under a file",
         {QStringLiteral("convert"), raw, QStringLiteral("--out"), raw + QStringLiteral("/x"),
          QStringLiteral("--no-logbook")},
         73},
        {"trace under a file",
         {QStringLiteral("info"), QStringLiteral("--port"), none, QStringLiteral("--trace"),
          raw + QStringLiteral("/trace")},
         73},
        {"two files", {QStringLiteral("list"), none, none}, 64},
        {"config without mode", {QStringLiteral("config"), QStringLiteral("--port"), none}, 64},
        {"config with both modes",
         {QStringLiteral("config"), QStringLiteral("--port"), none,
          QStringLiteral("--every-seconds"), QStringLiteral("1"), QStringLiteral("--every-metres"),
          QStringLiteral("1")},
         64},
        {"config negative",
         {QStringLiteral("config"), QStringLiteral("--port"), none,
          QStringLiteral("--every-seconds"), QStringLiteral("-1")},
         64},
        {"config bad log",
         {QStringLiteral("config"), QStringLiteral("--port"), none,
          QStringLiteral("--every-seconds"), QStringLiteral("1"), QStringLiteral("--log"),
          QStringLiteral("maybe")},
         64},
        {"unknown option", {QStringLiteral("info"), QStringLiteral("--colour")}, 64},
        {"config out of range",
         {QStringLiteral("config"), QStringLiteral("--port"), none,
          QStringLiteral("--every-seconds"), QStringLiteral("70000")},
         64,
         "--every-seconds 70000 is out of range: it takes 0 to 65535"},
        {"config help", {QStringLiteral("config"), QStringLiteral("--help")}, 0, "not read"},
        {"erase help", {QStringLiteral("erase"), QStringLiteral("--help")}, 0, "not read unless"},
        {"a million missing tracks",
         {QStringLiteral("convert"), raw, QStringLiteral("--out"), out, QStringLiteral("--tracks"),
          QStringLiteral("1-1000000"), QStringLiteral("--no-logbook")},
         1,
         "there are no tracks "},
        {"logbook missing",
         {QStringLiteral("logbook"), QStringLiteral("--logbook"), none},
         66,
         "there is no such file"},
        {"logbook not one",
         {QStringLiteral("logbook"), QStringLiteral("--logbook"), raw},
         65,
         "is damaged or is not a logbook"},
        {"logbook two formats",
         {QStringLiteral("logbook"), QStringLiteral("--json"), QStringLiteral("--csv")},
         64},
        {"logbook bad year", {QStringLiteral("logbook"), QStringLiteral("--year"), "22"}, 64},
        {"logbook and none",
         {QStringLiteral("convert"), raw, QStringLiteral("--out"), out, QStringLiteral("--logbook"),
          none, QStringLiteral("--no-logbook")},
         64},
    };
    for (const ExitCase& c : cases) {
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.code, c.code) << c.name << ": " << run.err.toStdString();
        EXPECT_TRUE((run.out + run.err).simplified().contains(QString::fromLatin1(c.says)))
            << c.name << ": " << run.err.toStdString();
        if (c.code != 0 && !c.args.isEmpty()) {
            EXPECT_EQ(run.err.trimmed().count(u'\n'), 0) << c.name << ": the reason is one line";
        }
    }
}

struct BadRaw {
    const char* name;
    QByteArray bytes;
    qint64 sparseSize;  // when > 0 the file is made this size instead
    int code;
    const char* message;
};

TEST(CliRawLog, BadFilesGiveAClearErrorOrABoundedResult) {
    ensureApplication();
    QTemporaryDir dir;
    QByteArray noise(16 * 4096, Qt::Uninitialized);
    QRandomGenerator rng(7);
    for (char& c : noise) c = char(rng.bounded(256));
    const std::vector<BadRaw> cases{
        {"empty", {}, 0, 65, "empty"},
        {"truncated", sim::sampleImage().left(3 * 4096 + 17), 0, 0, "17 bytes"},
        {"short", QByteArray(100, 'x'), 0, 65, "no whole sector"},
        {"random", noise, 0, 0, ""},
        {"sparse", {}, qint64(1) << 30, 65, "at most 16384 sectors"},
    };
    for (const BadRaw& c : cases) {
        const QString path = QDir(dir.path()).filePath(QString::fromLatin1(c.name));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        if (c.sparseSize > 0) {
            ASSERT_TRUE(f.resize(c.sparseSize));
        }
        f.close();
        const CliRun run = runCli({QStringLiteral("list"), path});
        EXPECT_EQ(run.code, c.code) << c.name << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromLatin1(c.message)))
            << c.name << ": " << run.err.toStdString();
        const QString converted =
            QDir(dir.path()).filePath(QStringLiteral("out-") + QString::fromLatin1(c.name));
        const CliRun convert =
            runCli({QStringLiteral("convert"), path, QStringLiteral("--out"), converted,
                    QStringLiteral("--format"), QStringLiteral("all")});
        if (c.code != 0) {
            EXPECT_EQ(convert.code, c.code) << c.name;
        }
    }
}

struct LogbookCase {
    const char* name;
    // Makes the logbook what the row needs before the convert; returns what stays alive.
    std::function<std::shared_ptr<void>(const QString& path)> before;
    const char* says;  // on standard error after the convert
    bool withoutOverride = false;
};

class CliLogbook : public ::testing::TestWithParam<LogbookCase> {};

// A download and then a convert of its raw copy: each flight is in the logbook once. A logbook
// locked, read-only or damaged still lets the convert save every file, and says why not.
TEST_P(CliLogbook, FlightsOnceAndFilesSavedWhateverTheLogbook) {
    Logger logger;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("logbook.sqlite"));
    const QString raw = dir.filePath(QStringLiteral("memory.bin"));
    const QStringList logbook{QStringLiteral("--logbook"), path};
    const CliRun download =
        runCli(QStringList{QStringLiteral("download"), QStringLiteral("--port"), logger.port(),
                           QStringLiteral("--out"), dir.filePath(QStringLiteral("first")),
                           QStringLiteral("--raw"), raw} +
               logbook);
    ASSERT_EQ(download.code, 0) << download.err.toStdString();
    const CliRun listed =
        runCli(QStringList{QStringLiteral("logbook"), QStringLiteral("--csv")} + logbook);
    const qsizetype flights = listed.out.count(u'\n') - 1;
    EXPECT_GE(flights, 2) << listed.out.toStdString();
    EXPECT_TRUE(download.err.contains(QStringLiteral("%1 new flights, 0 already").arg(flights)));

    const LogbookCase& c = GetParam();
    const std::shared_ptr<void> held = c.before ? c.before(path) : nullptr;
    const QString out = dir.filePath(QStringLiteral("again"));
    const CliRun convert =
        runCli(QStringList{QStringLiteral("convert"), raw, QStringLiteral("--out"), out} + logbook,
               30000, c.withoutOverride ? asUserWithoutOverride : nullptr);
    EXPECT_EQ(convert.code, 0) << convert.err.toStdString();
    EXPECT_TRUE(convert.err.contains(QString::fromLatin1(c.says))) << convert.err.toStdString();
    EXPECT_EQ(filesIn(out).size(), qsizetype(sampleLog().tracks().size()));
    if (std::string(c.name) == "read_again") {
        const CliRun again = runCli(QStringList{QStringLiteral("logbook"), QStringLiteral("--json"),
                                                QStringLiteral("--year"), QStringLiteral("2022")} +
                                    logbook);
        EXPECT_EQ(again.code, 0);
        EXPECT_EQ(again.out.count(QStringLiteral("\"fingerprint\"")), flights);
        EXPECT_EQ(again.out.count(QStringLiteral("/again/")), flights) << "each flight's new file";
    }
}

// Another program holds the logbook in a write transaction, as long as the row runs.
std::shared_ptr<void> lockedByAnotherProgram(const QString& path) {
    auto* db = new QSqlDatabase(
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder")));
    db->setDatabaseName(path);
    EXPECT_TRUE(db->open() && QSqlQuery(*db).exec(QStringLiteral("BEGIN EXCLUSIVE")));
    return std::shared_ptr<void>(db, [](void* held) {
        delete static_cast<QSqlDatabase*>(held);
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    });
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliLogbook,
    ::testing::Values(LogbookCase{"read_again", nullptr, "0 new flights"},
                      LogbookCase{"locked", lockedByAnotherProgram, "is locked by another program"},
                      LogbookCase{"read_only",
                                  [](const QString& path) {
                                      EXPECT_TRUE(QFile::setPermissions(path, QFile::ReadOwner));
                                      return std::shared_ptr<void>();
                                  },
                                  "cannot be written", true},
                      LogbookCase{"damaged",
                                  [](const QString& path) {
                                      QFile file(path);
                                      EXPECT_TRUE(file.open(QIODevice::WriteOnly));
                                      file.write(QByteArray(8192, '\xee'));
                                      return std::shared_ptr<void>();
                                  },
                                  "is damaged or is not a logbook"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kav::cli
