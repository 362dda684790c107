#include "cli/download_job.h"

#include <QDir>

#include "cli/cli_app.h"
#include "cli/command_session.h"
#include "cli/console.h"
#include "cli/interrupt_notifier.h"
#include "cli/progress_line.h"
#include "export/unique_name.h"

namespace kav::cli {

using kav::session::DownloadSession;
using kav::session::Outcome;

bool saveRawCopy(const QString& wanted, const DownloadSession& session, const QString& prefix) {
    QDir().mkpath(QFileInfo(wanted).absolutePath());
    const kav::exporting::SavedRawLog saved =
        kav::exporting::saveRawLogUnique(wanted, session.memory(), session.rawLogIdentity());
    if (!saved.result.ok()) {
        printErr(prefix + saved.result.error);
        return false;
    }
    printOut(saved.path);
    return true;
}

namespace {

// Saves what the session holds: the raw copy first, then the tracks; returns the exit status of
// saving.
int saveResults(const DownloadJob& job, const DownloadSession& session, const QString& prefix) {
    const Outcome& outcome = session.outcome();
    if (!outcome.complete())
        printErr(prefix + QStringLiteral("saving the %1 of %2 sectors read")
                              .arg(outcome.sectorsRead)
                              .arg(outcome.sectorsExpected));
    SaveRequest save = job.save;
    save.serialNumber = session.identity().serialNumber;
    save.firmware = session.identity().firmware;
    save.hardware = session.identity().hardware;
    const std::size_t tracks = session.log().tracks().size();
    if (tracks > 0 && session.trackIncomplete(tracks - 1)) save.incompleteTrack = tracks - 1;
    if (job.folderPerSerial)
        save.folder = QDir(save.folder).filePath(serialFolderName(save.serialNumber));
    const bool copied = job.rawPath.isEmpty() || saveRawCopy(job.rawPath, session, prefix);
    const int status = printSaveReport(saveTracks(session.log(), save), prefix);
    if (tracks == 0) printErr(prefix + QStringLiteral("the memory holds no track"));
    return copied ? status : kExitCannotWrite;
}

}  // namespace

QString serialFolderName(const QString& serialNumber) {
    if (serialNumber.trimmed().isEmpty()) return QStringLiteral("unknown");
    return kav::exporting::serialNumberForFileName(serialNumber);
}

int runDownloadJob(const DownloadJob& job, kav::link::Transport& transport,
                   InterruptNotifier* interrupt, const QString& command) {
    CommandSession run(transport, command);
    if (!run.traceTo(job.tracePath)) return kExitCannotWrite;
    DownloadSession& session = run.session();
    session.setTransferSpeed(job.speed);
    ProgressLine progress(job.showProgress);
    QObject::connect(&session, &DownloadSession::lineRateChanged, &run,
                     [&progress](int baud) { progress.setBaud(baud); });
    QObject::connect(&session, &DownloadSession::downloadStarted, &run,
                     [&progress] { progress.start(); });
    QObject::connect(&session, &DownloadSession::progressChanged, &run,
                     [&progress](const kav::session::Progress& p) {
                         progress.update(p.sectorsRead, p.sectorsToRead);
                     });
    QObject::connect(&session, &DownloadSession::notice, &run, [&progress] { progress.finish(); });
    QObject::connect(&session, &DownloadSession::downloadEnded, &run,
                     [&run](const Outcome& outcome) {
                         if (outcome.complete()) return run.end();
                         run.fail(exitStatusFor(outcome), cutReason(outcome));
                     });
    run.start(job.port, DownloadSession::Goal::ReadMemory);
    run.wait(interrupt);
    progress.finish();

    int status = run.report();
    if (!session.memory().isEmpty())
        status = moreSevere(status, saveResults(job, session, run.prefix()));
    return run.interrupted() ? moreSevere(kExitInterrupted, status) : status;
}

}  // namespace kav::cli
