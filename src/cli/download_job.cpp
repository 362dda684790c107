#include "cli/download_job.h"

#include <QDir>

#include "cli/cli_app.h"
#include "cli/console.h"
#include "cli/download_session.h"
#include "cli/interrupt_notifier.h"
#include "cli/progress_line.h"
#include "cli/track_selection.h"
#include "export/unique_name.h"
#include "log/raw_log_file.h"

namespace kav::cli {

bool saveRawCopy(const QString& wanted, const DownloadSession& session, const QString& prefix) {
    QDir().mkpath(QFileInfo(wanted).absolutePath());
    const LoggerIdentity& id = session.identity();
    const kav::exporting::SavedRawLog saved = kav::exporting::saveRawLogUnique(
        wanted, session.memory(), {id.serialNumber, id.firmware, id.hardware});
    if (!saved.result.ok()) {
        printErr(prefix + saved.result.error);
        return false;
    }
    printOut(saved.path);
    return true;
}

namespace {

bool printReport(const SaveReport& report, const QString& prefix) {
    for (const QString& path : report.written) printOut(path);
    for (const QString& error : report.errors) printErr(prefix + error);
    if (!report.missing.empty())
        printErr(prefix + missingTracksText(report.missing, report.trackCount));
    return report.ok();
}

}  // namespace

QString serialFolderName(const QString& serialNumber) {
    if (serialNumber.trimmed().isEmpty()) return QStringLiteral("unknown");
    return kav::exporting::serialNumberForFileName(serialNumber);
}

int runDownloadJob(const DownloadJob& job, kav::link::Transport& transport,
                   InterruptNotifier* interrupt, const QString& command) {
    const QString prefix = QStringLiteral("kav-skytraq-cli %1: ").arg(command);
    DownloadSession session(transport);
    ProgressLine progress(job.showProgress);
    QObject::connect(&session, &DownloadSession::statusReady, &session,
                     [&progress] { progress.start(); });
    QObject::connect(&session, &DownloadSession::progress, &session,
                     [&progress](int done, int total) { progress.update(done, total); });
    QObject::connect(&session, &DownloadSession::notice, &session, [&](const QString& text) {
        progress.finish();
        printErr(prefix + text);
    });
    session.start(job.port, DownloadSession::Goal::ReadMemory);
    const QString error = session.wait(interrupt);
    progress.finish();

    bool ok = error.isEmpty();
    if (!ok) printErr(prefix + error);
    if (!session.memory().isEmpty()) {
        if (!session.memoryComplete())
            printErr(prefix +
                     QStringLiteral("saving the %1 sectors read before the failure")
                         .arg(session.memory().size() / qsizetype(kav::link::kSectorSize)));
        SaveRequest save = job.save;
        save.serialNumber = session.identity().serialNumber;
        save.firmware = session.identity().firmware;
        save.hardware = session.identity().hardware;
        if (job.folderPerSerial)
            save.folder = QDir(save.folder).filePath(serialFolderName(save.serialNumber));
        if (!job.rawPath.isEmpty() && !saveRawCopy(job.rawPath, session, prefix)) ok = false;
        if (!printReport(saveTracks(session.log(), save), prefix)) ok = false;
        if (session.log().tracks().empty())
            printErr(prefix + QStringLiteral("the memory holds no track"));
    }
    if (interrupt && interrupt->interrupted()) return kExitInterrupted;
    return ok ? kExitOk : kExitFailure;
}

}  // namespace kav::cli
