// watch: the download station, serving every logger plugged in at once until interrupted.

#include <algorithm>

#include "cli/cli_app.h"
#include "cli/command_line.h"
#include "cli/command_session.h"
#include "cli/console.h"
#include "cli/download_job.h"
#include "cli/interrupt_notifier.h"
#include "cli/logbook_hook.h"
#include "cli/pilot_options.h"
#include "cli/station.h"
#include "cli/track_options.h"

namespace kav::cli {

int runWatch(const QStringList& args) {
    CommandLine cl(
        QStringLiteral("watch"),
        QStringLiteral(
            "--out DIR [--format F] [--tracks LIST] [--flights] [--speed S] [--trace FILE] "
            "[--erase-after] [--pilots FILE] [--name-style S] [--zip FILE]"),
        QStringLiteral("Serves every logger plugged in (those present at start included), all "
                       "at the same time, each into "
                       "DIR/<serial number>/ (\"unknown\" without one), or DIR/<name>.<id>/ "
                       "(or as --name-style says) when the pilots file names it. When a logger is "
                       "done, one line on "
                       "standard output: serial number, sectors read, tracks, flights, folder and "
                       "outcome; everything else goes to standard error. The same logger "
                       "plugged in again with the same memory is reported as already done "
                       "and nothing is saved twice. Ends on Ctrl+C, SIGTERM or SIGHUP once "
                       "every logger in progress is saved, with 0 when every logger was "
                       "saved whole, otherwise the status of the worst.\n") +
            fileNamingHelp());
    addTrackOptions(cl);
    cl.add(traceOption());
    cl.add(speedOption());
    cl.add(eraseAfterOption());
    addLogbookOptions(cl);
    addPilotOptions(cl, QStringLiteral("each listed logger's folder, track files and raw copy"));
    cl.add({QStringLiteral("zip"),
            QStringLiteral("When the station ends, also save every IGC file it wrote in one zip "
                           "at FILE, for a scoring program's bulk import (igc is added to the "
                           "formats). An existing FILE is never replaced: the name then gets "
                           "_1, _2, ..."),
            QStringLiteral("FILE")});
    if (const auto done = cl.parse(args)) return *done;
    std::optional<SaveRequest> save = trackOptions(cl);
    if (!save) return kExitUsage;
    const auto speed = speedFrom(cl);
    if (!speed) return kExitUsage;
    const auto logbook = logbookPath(cl);
    if (!logbook) return kExitUsage;
    std::optional<PilotNaming> naming = pilotOptions(cl);
    if (!naming) return kExitUsage;
    const QString zipPath = cl.parser().value(QStringLiteral("zip"));
    if (!zipPath.isEmpty() && std::find(save->formats.begin(), save->formats.end(),
                                        kav::exporting::TrackFormat::Igc) == save->formats.end())
        save->formats.push_back(kav::exporting::TrackFormat::Igc);

    DownloadJob model;
    model.save = *save;
    model.folderPerSerial = true;
    model.tracePath = cl.parser().value(QStringLiteral("trace"));
    model.speed = *speed;
    model.logbookPath = *logbook;
    model.pathsToStderr = true;
    model.eraseAfter = cl.parser().isSet(QStringLiteral("erase-after"));
    model.rawInFolder = model.eraseAfter;
    model.nameStyle = naming->style;
    InterruptNotifier interrupt;
    Station station(model, naming->pilots ? &*naming->pilots : nullptr, cl.name(), interrupt);
    if (!zipPath.isEmpty()) station.collectIgcInto(zipPath);
    return station.run();
}

}  // namespace kav::cli
