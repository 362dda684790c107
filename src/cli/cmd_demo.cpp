// demo: the built-in emulated logger on a pseudo-terminal, downloaded over the real serial stack.

#include "cli/cli_app.h"
#include "cli/command_line.h"
#include "cli/command_session.h"
#include "cli/console.h"
#include "cli/download_job.h"
#include "cli/interrupt_notifier.h"
#include "cli/logbook_hook.h"
#include "cli/track_options.h"
#include "link/serial_transport.h"
#include "sim/emulator.h"

namespace kav::cli {

int runDemo(const QStringList& args) {
    CommandLine cl(
        QStringLiteral("demo"),
        QStringLiteral(
            "--out DIR [--fast] [--format F] [--tracks LIST] [--speed S] [--trace FILE]"),
        QStringLiteral("Starts the built-in emulated logger with a sample day of "
                       "flights on a pseudo-terminal, paced at its line rate unless "
                       "--fast, and downloads it as download would, saving every "
                       "track in every format unless --format says otherwise.\n") +
            fileNamingHelp());
    addTrackOptions(cl);
    cl.add(traceOption());
    cl.add(speedOption());
    cl.add(
        {QStringLiteral("fast"), QStringLiteral("Send at full speed instead of the line rate.")});
    // The sample day is no pilot's: its flights go to a logbook only when one is named.
    addLogbookOptions(cl, false);
    if (const auto done = cl.parse(args)) return *done;
    std::optional<SaveRequest> save = trackOptions(cl);
    if (!save) return kExitUsage;
    const auto speed = speedFrom(cl);
    if (!speed) return kExitUsage;
    const auto logbook = logbookPath(cl, false);
    if (!logbook) return kExitUsage;
    if (!cl.parser().isSet(QStringLiteral("format")))
        save->formats = {kav::exporting::TrackFormat::Gac, kav::exporting::TrackFormat::Kml,
                         kav::exporting::TrackFormat::Gpx, kav::exporting::TrackFormat::Igc};

    kav::sim::EmulatorOptions options;
    options.image = kav::sim::sampleImage();
    options.fast = cl.parser().isSet(QStringLiteral("fast"));
    options.announce = false;  // the pty is reached by its path: no runtime folder needed
    kav::sim::Emulator emulator(options);
    QString error;
    if (!emulator.start(&error))
        return cl.failure(QStringLiteral("cannot start the emulated logger: ") + error,
                          kExitOsError);
    printErr(QStringLiteral("Emulated logger on %1%2")
                 .arg(emulator.ptyPath(),
                      options.fast ? QString() : QStringLiteral(", paced at its line rate")));

    DownloadJob job;
    job.port = emulator.ptyPath();
    job.save = *save;
    job.tracePath = cl.parser().value(QStringLiteral("trace"));
    job.speed = *speed;
    job.logbookPath = *logbook;
    job.showProgress = stderrIsTerminal();
    InterruptNotifier interrupt;
    kav::link::SerialTransport transport;
    return runDownloadJob(job, transport, &interrupt, cl.name());
}

}  // namespace kav::cli
