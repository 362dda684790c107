#include "cli/station.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>

#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/interrupt_notifier.h"
#include "cli/pilot_list.h"
#include "export/file_batch.h"
#include "export/zip_archive.h"
#include "link/port_list.h"
#include "link/serial_transport.h"

namespace kav::cli {

namespace {

QString outcomeText(const JobReport& report) {
    QString text = report.alreadyDone ? QStringLiteral("already done, nothing saved again")
                   : report.complete  ? QStringLiteral("complete")
                                      : QStringLiteral("incomplete: ") + report.why;
    if (report.cleared) text += QStringLiteral(", cleared");
    if (!report.notCleared.isEmpty()) text += QStringLiteral(", not cleared: ") + report.notCleared;
    return text;
}

QString stationLine(const JobReport& report) {
    return QStringLiteral("%1\t%2/%3 sectors\t%4 tracks\t%5 flights\t%6\t%7")
        .arg(report.serialNumber.isEmpty() ? QStringLiteral("unknown") : report.serialNumber)
        .arg(report.sectorsRead)
        .arg(report.sectorsExpected)
        .arg(report.tracks)
        .arg(report.flights)
        .arg(report.folder, outcomeText(report));
}

}  // namespace

Station::Station(DownloadJob model, const PilotList* pilots, QString command,
                 InterruptNotifier& interrupt)
    : model_(std::move(model)),
      pilots_(pilots),
      command_(std::move(command)),
      interrupt_(interrupt) {
    model_.savedBefore = &saved_;
    model_.pilots = pilots_;
    connect(&watcher_, &kav::link::PortWatcher::portArrived, this, &Station::onArrived);
}

Station::~Station() {
    for (QThread* thread : std::as_const(running_)) thread->wait();
}

int Station::run() {
    watcher_.start();
    // Loggers plugged in before the station started are served as well.
    for (const QString& port : kav::link::availablePorts())
        if (kav::link::isPluggedPort(port)) onArrived(port);
    printErr(QStringLiteral("Waiting for loggers; Ctrl+C ends."));
    QEventLoop loop;
    const auto quitWhenDone = [this, &loop] {
        if (interrupt_.interrupted() && running_.isEmpty()) loop.quit();
    };
    connect(&interrupt_, &InterruptNotifier::interrupt, &loop, quitWhenDone);
    connect(this, &Station::jobEnded, &loop, quitWhenDone);
    if (!interrupt_.interrupted()) loop.exec();
    watcher_.stop();
    reportUnlisted();
    if (!zipPath_.isEmpty()) worst_ = moreSevere(worst_, saveTaskZip());
    return worst_;
}

void Station::onArrived(const QString& port) {
    if (interrupt_.interrupted()) return;
    if (running_.contains(port)) {
        pending_.insert(port);  // a new logger on the port whose job still ends
        return;
    }
    startJob(port);
}

void Station::startJob(const QString& port) {
    DownloadJob job = model_;
    job.port = port;
    if (!job.tracePath.isEmpty()) job.tracePath += u'.' + QFileInfo(port).fileName();
    job.onProgress = [this, port](int read, int toRead) {
        QMetaObject::invokeMethod(
            this, [this, port, read, toRead] { onProgress(port, read, toRead); },
            Qt::QueuedConnection);
    };
    printErr(QStringLiteral("Logger on %1").arg(port));
    QThread* thread = QThread::create([this, job] {
        kav::link::SerialTransport transport;
        JobReport report;
        const int status = runDownloadJob(job, transport, &interrupt_, command_, &report);
        QMetaObject::invokeMethod(
            this, [this, port = job.port, status, report] { onJobDone(port, status, report); },
            Qt::QueuedConnection);
    });
    running_.insert(port, thread);
    connect(thread, &QThread::finished, this, [this, port] { onThreadEnded(port); });
    thread->start();
}

void Station::onProgress(const QString& port, int sectorsRead, int sectorsToRead) {
    if (!stderrIsTerminal() || sectorsToRead <= 0) return;
    const int tenths = sectorsRead * 10 / sectorsToRead;
    if (tenths <= shownTenths_.value(port, -1)) return;
    shownTenths_.insert(port, tenths);
    printErr(QStringLiteral("%1: %2 of %3 sectors").arg(port).arg(sectorsRead).arg(sectorsToRead));
}

void Station::onJobDone(const QString& port, int status, const JobReport& report) {
    worst_ = moreSevere(worst_, status);
    igcFiles_ << report.igcFiles;
    shownTenths_.remove(port);
    printOut(stationLine(report));
    if (pilots_ && !report.serialNumber.isEmpty() && !pilots_->find(report.serialNumber))
        unlisted_ << report.serialNumber;
}

void Station::onThreadEnded(const QString& port) {
    QThread* thread = running_.take(port);
    thread->wait();
    thread->deleteLater();
    if (pending_.remove(port) && !interrupt_.interrupted()) startJob(port);
    if (!interrupt_.interrupted())
        printErr(QStringLiteral("Done with %1; waiting for the next logger.").arg(port));
    emit jobEnded();
}

// The zip is saved whole under a free name (a file is never replaced), or not at all.
int Station::saveTaskZip() const {
    if (igcFiles_.isEmpty()) {
        printErr(QStringLiteral("No IGC file was written: no zip saved."));
        return kExitOk;
    }
    const kav::exporting::ZipContent zip = kav::exporting::zipFiles(igcFiles_);
    if (!zip.ok()) {
        printErr(QStringLiteral("Cannot make the zip %1: %2").arg(zipPath_, zip.error));
        return kExitCannotWrite;
    }
    kav::exporting::FileBatch batch;
    const std::size_t n =
        batch.addUnderFreeName(zipPath_, [&zip](const QString&) { return zip.bytes; });
    batch.commit();
    if (!batch.result(n).ok()) {
        printErr(batch.result(n).error);
        return kExitCannotWrite;
    }
    printErr(QStringLiteral("%1 IGC files in %2").arg(igcFiles_.size()).arg(batch.path(n)));
    return kExitOk;
}

void Station::reportUnlisted() const {
    if (unlisted_.isEmpty()) return;
    printErr(QStringLiteral("Not in the pilots file (saved under their serial numbers): ") +
             unlisted_.join(QStringLiteral(", ")));
}

}  // namespace kav::cli
