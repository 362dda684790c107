// watch: download every logger plugged in, one after another, until interrupted.

#include <QEventLoop>

#include "cli/cli_app.h"
#include "cli/command_line.h"
#include "cli/command_session.h"
#include "cli/console.h"
#include "cli/download_job.h"
#include "cli/interrupt_notifier.h"
#include "cli/track_options.h"
#include "link/port_watcher.h"
#include "link/serial_transport.h"

namespace kav::cli {

namespace {

// Waits until a port is queued or the command is interrupted.
void waitForArrival(const QStringList& queue, kav::link::PortWatcher& watcher,
                    InterruptNotifier& interrupt) {
    if (!queue.isEmpty() || interrupt.interrupted()) return;
    QEventLoop loop;
    QObject::connect(&watcher, &kav::link::PortWatcher::portArrived, &loop, &QEventLoop::quit);
    QObject::connect(&interrupt, &InterruptNotifier::interrupt, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int runWatch(const QStringList& args) {
    CommandLine cl(
        QStringLiteral("watch"),
        QStringLiteral(
            "--out DIR [--format F] [--tracks LIST] [--flights] [--speed S] [--trace FILE]"),
        QStringLiteral("Waits for loggers plugged in one after another and downloads "
                       "each into DIR/<serial number>/ (\"unknown\" without one). "
                       "Ends on Ctrl+C, SIGTERM or SIGHUP, with 0 when every logger was "
                       "saved whole, otherwise the status of the worst.\n") +
            fileNamingHelp());
    addTrackOptions(cl);
    cl.add(traceOption());
    cl.add(speedOption());
    if (const auto done = cl.parse(args)) return *done;
    std::optional<SaveRequest> save = trackOptions(cl);
    if (!save) return kExitUsage;
    const auto speed = speedFrom(cl);
    if (!speed) return kExitUsage;

    InterruptNotifier interrupt;
    kav::link::PortWatcher watcher;
    QStringList queue;
    QObject::connect(&watcher, &kav::link::PortWatcher::portArrived, &watcher,
                     [&queue](const QString& name) { queue << name; });
    QObject::connect(&watcher, &kav::link::PortWatcher::portRemoved, &watcher,
                     [&queue](const QString& name) { queue.removeAll(name); });
    watcher.start();
    printErr(QStringLiteral("Waiting for loggers; Ctrl+C ends."));
    int worst = kExitOk;
    while (!interrupt.interrupted()) {
        waitForArrival(queue, watcher, interrupt);
        if (interrupt.interrupted() || queue.isEmpty()) continue;
        DownloadJob job;
        job.port = queue.takeFirst();
        job.save = *save;
        job.folderPerSerial = true;
        job.tracePath = cl.parser().value(QStringLiteral("trace"));
        job.speed = *speed;
        job.showProgress = stderrIsTerminal();
        printErr(QStringLiteral("Logger on %1").arg(job.port));
        kav::link::SerialTransport transport;
        const int status = runDownloadJob(job, transport, &interrupt, cl.name());
        worst = moreSevere(worst, status);
        if (!interrupt.interrupted())
            printErr(QStringLiteral("Done with %1%2; waiting for the next logger.")
                         .arg(job.port,
                              status == kExitOk ? QString() : QStringLiteral(" (not all saved)")));
    }
    watcher.stop();
    return worst;
}

}  // namespace kav::cli
