#include "cli/download_job.h"

#include <QCryptographicHash>
#include <QDir>

#include "cli/cli_app.h"
#include "cli/command_session.h"
#include "cli/console.h"
#include "cli/erase_after.h"
#include "cli/interrupt_notifier.h"
#include "cli/logbook_hook.h"
#include "cli/pilot_list.h"
#include "cli/progress_line.h"
#include "export/file_batch.h"
#include "export/unique_name.h"
#include "flight/log_flights.h"

namespace kav::cli {

using kav::exporting::FileBatch;
using kav::session::DownloadSession;
using kav::session::Outcome;

QCommandLineOption eraseAfterOption() {
    return {QStringLiteral("erase-after"),
            QStringLiteral("Clear the logger once every sector was read and checked and the raw "
                           "copy and every track file are on the disk; the clear is confirmed by "
                           "asking for the status again. Without --raw, the copy is saved beside "
                           "the tracks. A logger cut short, lost or whose files could not be "
                           "written is never cleared.")};
}

QByteArray SavedMemories::key(const QString& serialNumber, const QByteArray& memory) {
    return serialNumber.toUtf8() + '\0' +
           QCryptographicHash::hash(memory, QCryptographicHash::Sha256);
}

bool SavedMemories::contains(const QString& serialNumber, const QByteArray& memory) const {
    const QByteArray wanted = key(serialNumber, memory);
    const QMutexLocker lock(&mutex_);
    return saved_.contains(wanted);
}

void SavedMemories::add(const QString& serialNumber, const QByteArray& memory) {
    const QByteArray entry = key(serialNumber, memory);
    const QMutexLocker lock(&mutex_);
    saved_.insert(entry);
}

namespace {

std::size_t addRawCopy(FileBatch& batch, const QString& wanted, const DownloadSession& session) {
    QDir().mkpath(QFileInfo(wanted).absolutePath());
    return kav::exporting::addRawLog(batch, wanted, session.memory(), session.rawLogIdentity());
}

// Prints the path of raw copy n of a committed batch, or its error after prefix.
bool reportRawCopy(const FileBatch& batch, std::size_t n, const QString& prefix,
                   bool pathToStderr) {
    if (!batch.result(n).ok()) {
        printErr(prefix + batch.result(n).error);
        return false;
    }
    pathToStderr ? printErr(batch.path(n)) : printOut(batch.path(n));
    return true;
}

}  // namespace

bool saveRawCopy(const QString& wanted, const DownloadSession& session, const QString& prefix,
                 bool pathToStderr) {
    FileBatch batch;
    const std::size_t n = addRawCopy(batch, wanted, session);
    batch.commit();
    return reportRawCopy(batch, n, prefix, pathToStderr);
}

namespace {

// The logger's name in folder and file names: its pilot's when the pilots file has it, otherwise
// its serial number.
QString loggerName(const DownloadJob& job, const QString& serialNumber) {
    const Pilot* pilot = job.pilots ? job.pilots->find(serialNumber) : nullptr;
    const QString stem = pilot ? pilotFileStem(*pilot, job.nameStyle) : QString();
    return stem.isEmpty() ? serialFolderName(serialNumber) : stem;
}

// The folder the job's files go to: the one asked for, or its subfolder for the logger.
QString jobFolder(const DownloadJob& job, const QString& serialNumber) {
    if (!job.folderPerSerial) return job.save.folder;
    return QDir(job.save.folder).filePath(loggerName(job, serialNumber));
}

// Saves what the session holds: the raw copy first, then the tracks; returns the exit status of
// saving and fills report.
int saveResults(const DownloadJob& job, const DownloadSession& session, const QString& prefix,
                JobReport& report) {
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
    save.folder = jobFolder(job, save.serialNumber);
    if (const Pilot* pilot = job.pilots ? job.pilots->find(save.serialNumber) : nullptr) {
        save.pilot = pilot->name;
        save.fileStem = pilotFileStem(*pilot, job.nameStyle);
    }
    QString rawPath = job.rawPath;
    if (job.rawInFolder)
        rawPath =
            QDir(save.folder).filePath(loggerName(job, save.serialNumber) + QStringLiteral(".bin"));
    FileBatch batch(job.store ? *job.store : kav::exporting::diskStore());
    std::optional<std::size_t> raw;
    if (!rawPath.isEmpty()) raw = addRawCopy(batch, rawPath, session);
    PendingSave pending = addTracks(session.log(), save, batch);
    // Every file is on the disk before its path is printed and before the logger is cleared.
    batch.commit();
    const bool copied = !raw || reportRawCopy(batch, *raw, prefix, job.pathsToStderr);
    const SaveReport saved = finishSave(std::move(pending), batch);
    report.filesWritten = int(saved.written.size()) + (copied && !rawPath.isEmpty() ? 1 : 0);
    report.tracks = int(tracks);
    for (const QString& path : saved.written)
        if (kav::exporting::formatOfPath(path) == kav::exporting::TrackFormat::Igc)
            report.igcFiles << path;
    for (const auto& inTrack : kav::flight::findLogFlights(session.log()))
        report.flights += int(inTrack.size());
    const int status = printSaveReport(saved, prefix, job.pathsToStderr);
    recordFlights(job.logbookPath, {session.log(), save.serialNumber, save.incompleteTrack, &saved},
                  prefix);
    if (tracks == 0) printErr(prefix + QStringLiteral("the memory holds no track"));
    return copied ? status : kExitCannotWrite;
}

// A download's end in words: none when it did not begin, and the link's failure tells why.
std::optional<CommandSession::Verdict> downloadVerdict(const kav::session::RunReport& report) {
    if (!report.downloadEnded()) return std::nullopt;
    return CommandSession::Verdict{exitStatusFor(report.outcome), cutReason(report.outcome)};
}

void noteOutcome(const DownloadSession& session, const CommandSession& run, JobReport& report) {
    const Outcome& outcome = session.outcome();
    report.serialNumber = session.identity().serialNumber;
    report.sectorsRead = outcome.sectorsRead;
    report.sectorsExpected = outcome.sectorsExpected;
    report.complete = outcome.complete();
    if (!report.complete) report.why = run.error().isEmpty() ? cutReason(outcome) : run.error();
}

// Clears the logger when everything it held is saved and it is still the one on the port; says
// why not otherwise.
void eraseIfSaved(const DownloadJob& job, const std::optional<kav::session::SavedMemory>& saved,
                  int status, InterruptNotifier* interrupt, const QString& command,
                  JobReport& report) {
    if (!saved || !report.complete || status != kExitOk) {
        report.notCleared = report.complete ? QStringLiteral("not every file was written")
                                            : QStringLiteral("the download is incomplete");
        return;
    }
    if (interrupt && interrupt->interrupted()) {
        report.notCleared = QStringLiteral("interrupted");
        return;
    }
    report.cleared = clearAndConfirm(job.port, *saved, command, interrupt, &report.notCleared);
}

}  // namespace

QString serialFolderName(const QString& serialNumber) {
    if (serialNumber.trimmed().isEmpty()) return QStringLiteral("unknown");
    return kav::exporting::serialNumberForFileName(serialNumber);
}

int runDownloadJob(const DownloadJob& job, kav::link::Transport& transport,
                   InterruptNotifier* interrupt, const QString& command, JobReport* report) {
    JobReport local;
    JobReport& noted = report ? *report : local;
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
                     [&progress, &job](const kav::session::Progress& p) {
                         progress.update(p.sectorsRead, p.sectorsToRead);
                         if (job.onProgress) job.onProgress(p.sectorsRead, p.sectorsToRead);
                     });
    QObject::connect(&session, &DownloadSession::notice, &run, [&progress] { progress.finish(); });
    QObject::connect(&session, &DownloadSession::noticesNotShown, &run,
                     [&progress] { progress.finish(); });
    run.judgeBy(downloadVerdict);
    run.start(job.port, DownloadSession::Goal::ReadMemory);
    run.wait(interrupt);
    progress.finish();

    int status = run.report();
    noteOutcome(session, run, noted);
    noted.folder = jobFolder(job, noted.serialNumber);
    const QByteArray& memory = session.memory();
    if (noted.complete && job.savedBefore &&
        job.savedBefore->contains(noted.serialNumber, memory)) {
        noted.alreadyDone = true;
    } else if (!memory.isEmpty()) {
        status = moreSevere(status, saveResults(job, session, run.prefix(), noted));
        if (noted.complete && status == kExitOk && job.savedBefore)
            job.savedBefore->add(noted.serialNumber, memory);
    }
    if (job.eraseAfter) {
        eraseIfSaved(job, session.savedMemory(), status, interrupt, command, noted);
        // A station says so on the logger's line.
        if (!report && !noted.cleared) {
            printErr(run.prefix() + QStringLiteral("not cleared: ") + noted.notCleared);
            status = moreSevere(status, kExitFailure);
        }
    }
    return run.interrupted() ? moreSevere(kExitInterrupted, status) : status;
}

}  // namespace kav::cli
