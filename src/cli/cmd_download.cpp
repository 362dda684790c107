// download: read a logger's memory and save its tracks.

#include "cli/cli_app.h"
#include "cli/command_line.h"
#include "cli/command_session.h"
#include "cli/console.h"
#include "cli/download_job.h"
#include "cli/interrupt_notifier.h"
#include "cli/logbook_hook.h"
#include "cli/pilot_options.h"
#include "cli/track_options.h"
#include "link/serial_transport.h"

namespace kav::cli {

int runDownload(const QStringList& args) {
    CommandLine cl(
        QStringLiteral("download"),
        QStringLiteral("--port P --out DIR [--format F] [--tracks LIST] [--flights] [--raw FILE] "
                       "[--speed S] [--trace FILE] [--erase-after] [--pilots FILE] "
                       "[--name-style S]"),
        QStringLiteral(
            "Reads the logger's memory and saves its tracks. When the download "
            "stops early (a failure, Ctrl+C, SIGTERM, SIGHUP), what was read is saved, the "
            "track whose end was not read as <name>_incomplete.<ext>, and "
            "the exit status is not 0.\n") +
            fileNamingHelp() +
            QStringLiteral("\nA progress line is shown when standard error is a "
                           "terminal."));
    cl.add(portOption());
    cl.add(traceOption());
    cl.add(speedOption());
    addTrackOptions(cl);
    cl.add({QStringLiteral("raw"),
            QStringLiteral("Also save the memory as read (4096-byte sectors, sector 0 first) "
                           "to FILE, with FILE.ini naming the logger."),
            QStringLiteral("FILE")});
    cl.add(eraseAfterOption());
    addLogbookOptions(cl);
    addPilotOptions(cl, QStringLiteral("the track files and raw copy of a listed logger"));
    if (const auto done = cl.parse(args)) return *done;
    const auto port = cl.required(QStringLiteral("port"));
    if (!port) return kExitUsage;
    std::optional<SaveRequest> save = trackOptions(cl);
    if (!save) return kExitUsage;
    const auto speed = speedFrom(cl);
    if (!speed) return kExitUsage;
    const auto logbook = logbookPath(cl);
    if (!logbook) return kExitUsage;
    const std::optional<PilotNaming> naming = pilotOptions(cl);
    if (!naming) return kExitUsage;

    DownloadJob job;
    job.port = *port;
    job.save = *save;
    job.rawPath = cl.parser().value(QStringLiteral("raw"));
    job.tracePath = cl.parser().value(QStringLiteral("trace"));
    job.speed = *speed;
    job.logbookPath = *logbook;
    job.showProgress = stderrIsTerminal();
    job.eraseAfter = cl.parser().isSet(QStringLiteral("erase-after"));
    job.rawInFolder = job.eraseAfter && job.rawPath.isEmpty();
    job.pilots = naming->pilots ? &*naming->pilots : nullptr;
    job.nameStyle = naming->style;
    InterruptNotifier interrupt;
    kav::link::SerialTransport transport;
    return runDownloadJob(job, transport, &interrupt, cl.name());
}

}  // namespace kav::cli
