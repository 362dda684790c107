// The fault matrix through the command line: kav-skytraq-cli download as a separate process
// against the emulated logger in this process, over the real serial stack. What it kept is what
// it wrote: the raw copy, the track files and their names, its messages and exit status.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "../../common/test_files.h"
#include "matrix.h"

namespace kav::reliability {
namespace {

constexpr int kLimitMs = 30000;

// The firmware version a GAC file's header names.
QString firmwareIn(const QByteArray& gac) {
    const QByteArray key = "HFRFWFIRMWAREVERSION:";
    const qsizetype at = gac.indexOf(key);
    if (at < 0) return {};
    const qsizetype end = gac.indexOf('\r', at);
    return QString::fromLatin1(gac.mid(at + key.size(), end - at - key.size()));
}

Result runCli(const Scenario& s) {
    Result result;
    QTemporaryDir out;
    sim::Emulator emulator(emulatorOptions(s, false));
    bool vanished = false;
    QObject::connect(&emulator, &sim::Emulator::vanished, &emulator, [&] { vanished = true; });
    if (!out.isValid() || !startLogger(emulator, s)) return result;
    QProcess process;
    // Ctrl+C (SIGTERM is handled alike) once the logger is asked for sector atSector; its
    // answer waits until the program has said it saw the signal.
    int requests = 0;
    bool signalled = false;
    QString err;
    if (s.action == Action::Interrupt) {
        emulator.holdAnswers(0x1D, s.atSector + 1);
        QObject::connect(&emulator, &sim::Emulator::commandReceived, &emulator, [&](quint8 id) {
            if (id != 0x1D || requests++ != s.atSector) return;
            process.terminate();
            signalled = true;
        });
    }
    QObject::connect(&process, &QProcess::readyReadStandardError, &process, [&] {
        err += QString::fromLocal8Bit(process.readAllStandardError());
        if (signalled && err.contains(QLatin1String("stopping after the sectors being read")))
            emulator.releaseAnswers();
    });
    process.start(
        QStringLiteral(KAV_CLI_PATH),
        {QStringLiteral("download"), QStringLiteral("--port"), emulator.ptyPath(),
         QStringLiteral("--out"), out.path(), QStringLiteral("--format"), QStringLiteral("gac"),
         QStringLiteral("--raw"), out.filePath("memory.bin"), QStringLiteral("--speed"),
         QLatin1String(s.speed), QStringLiteral("--no-logbook")});
    process.closeWriteChannel();
    result.ended =
        QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, kLimitMs);
    if (!result.ended) {
        process.kill();
        process.waitForFinished();
    }
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.loggerRate = vanished ? 0 : emulator.lineRate();
    result.complete = code == 0;
    err += QString::fromLocal8Bit(process.readAllStandardError());
    result.told = err.trimmed() + QStringLiteral(" (exit %1)").arg(code);
    result.memory = kav::testing::readAll(out.filePath("memory.bin"));
    const QStringList tracks = QDir(out.path()).entryList({"*.gac"}, QDir::Files, QDir::Name);
    result.tracks = int(tracks.size());
    for (const QString& name : tracks)
        if (name.contains(QLatin1String("_incomplete"))) result.lastNamedIncomplete = true;
    if (!tracks.isEmpty())
        result.firmware = firmwareIn(kav::testing::readAll(out.filePath(tracks.first())));
    return result;
}

std::vector<Scenario> cliRows() {
    std::vector<Scenario> rows = faultRows();
    Scenario interrupt{"interrupt_mid_download",
                       "Ctrl+C while the second block is asked for",
                       {},
                       {false, 1, 16, "The download was stopped"},
                       Action::Interrupt,
                       When::AwaitingAck,
                       1};
    rows.push_back(interrupt);
    return rows;
}

class CliMatrix : public ::testing::TestWithParam<Scenario> {};

TEST_P(CliMatrix, KeptBytesExactTracksNamedUserToldTheTruth) {
    checkAndReport("command line", GetParam(), runCli(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Emulator, CliMatrix, ::testing::ValuesIn(cliRows()), rowName);

}  // namespace
}  // namespace kav::reliability

int main(int argc, char** argv) {
    return kav::reliability::runMatrix<QCoreApplication>(argc, argv);
}
