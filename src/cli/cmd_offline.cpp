// list and convert: the tracks of a raw log file, without a logger.

#include <QFileInfo>

#include "cli/cli_app.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/logbook_hook.h"
#include "cli/track_listing.h"
#include "cli/track_options.h"
#include "cli/track_selection.h"
#include "flight/log_flights.h"
#include "log/raw_log_file.h"

namespace kav::cli {

namespace {

// A file of a download that was cut: its side file names more sectors than it holds, so its
// last track's end was not read.
bool cutShort(const kav::log::RawLogResult& loaded) {
    return loaded.identity.sectorsExpected > loaded.sectors;
}

// Why a raw log file did not load: it is not there, it may not be read, or it holds no log.
int loadFailureStatus(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir()) return kExitNoInput;
    return info.isReadable() ? kExitDataError : kExitNoPermission;
}

// Loads the file named by the one positional argument; reports and returns false on failure.
bool loadPositional(CommandLine& cl, kav::log::LogCollection& log, kav::log::RawLogResult& result,
                    int& status) {
    const QStringList files = cl.parser().positionalArguments();
    if (files.size() != 1) {
        status = cl.usageError(QStringLiteral("give exactly one raw log file"));
        return false;
    }
    result = kav::log::loadRawLog(files.front(), log);
    if (!result.ok()) {
        status = cl.failure(result.error, loadFailureStatus(files.front()));
        return false;
    }
    if (result.sectors == 0) {
        status = cl.failure(QStringLiteral("%1 holds no whole sector").arg(files.front()),
                            kExitDataError);
        return false;
    }
    if (result.tailBytes > 0)
        cl.warn(QStringLiteral("the last %1 bytes are less than a sector and were not read")
                    .arg(result.tailBytes));
    if (cutShort(result))
        cl.warn(QStringLiteral("the download was cut: %1 of %2 sectors were read")
                    .arg(result.sectors)
                    .arg(result.identity.sectorsExpected));
    return true;
}

}  // namespace

int runList(const QStringList& args) {
    CommandLine cl(QStringLiteral("list"), QStringLiteral("FILE"),
                   QStringLiteral("Lists the tracks of a raw log file (saved by download --raw): "
                                  "number, UTC start and finish, number of fixes, and below "
                                  "each track its flights: UTC take-off, landing, duration."));
    cl.parser().addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Raw log file."));
    cl.add({QStringLiteral("json"),
            QStringLiteral("Print the list as one JSON object, each flight with its "
                           "cross-country score and statistics.")});
    cl.add({QStringLiteral("rules"),
            QStringLiteral("League rules of the scores: xcontest (the default) or ffvl."),
            QStringLiteral("RULES"), QStringLiteral("xcontest")});
    if (const auto done = cl.parse(args)) return *done;
    const auto rules = kav::flight::scoreRulesFromName(cl.parser().value(QStringLiteral("rules")));
    if (!rules) return cl.usageError(QStringLiteral("--rules takes xcontest or ffvl"));
    kav::log::LogCollection log;
    kav::log::RawLogResult loaded;
    int status = kExitOk;
    if (!loadPositional(cl, log, loaded, status)) return status;
    TrackListing listing{log, kav::flight::findLogFlights(log), std::nullopt, *rules};
    if (cutShort(loaded) && !log.tracks().empty())
        listing.incompleteTrack = log.tracks().size() - 1;
    if (cl.parser().isSet(QStringLiteral("json"))) {
        printOut(QString::fromUtf8(trackListJson(listing)));
        return kExitOk;
    }
    printOut(QStringLiteral("%1 sectors, %2 fixes, %3 tracks")
                 .arg(loaded.sectors)
                 .arg(log.logData().size())
                 .arg(log.tracks().size()));
    for (const QString& line : trackListLines(listing)) printOut(line);
    return kExitOk;
}

int runConvert(const QStringList& args) {
    CommandLine cl(QStringLiteral("convert"),
                   QStringLiteral("FILE --out DIR [--format F] [--tracks LIST] [--flights]"),
                   QStringLiteral("Saves the tracks of a raw log file (saved by download --raw) "
                                  "as download would.\n") +
                       fileNamingHelp());
    cl.parser().addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Raw log file."));
    addTrackOptions(cl);
    addLogbookOptions(cl);
    if (const auto done = cl.parse(args)) return *done;
    std::optional<SaveRequest> save = trackOptions(cl);
    if (!save) return kExitUsage;
    const auto logbook = logbookPath(cl);
    if (!logbook) return kExitUsage;
    kav::log::LogCollection log;
    kav::log::RawLogResult loaded;
    int status = kExitOk;
    if (!loadPositional(cl, log, loaded, status)) return status;
    save->serialNumber = loaded.identity.serialNumber;
    save->firmware = loaded.identity.firmware;
    save->hardware = loaded.identity.hardware;
    if (cutShort(loaded) && !log.tracks().empty()) save->incompleteTrack = log.tracks().size() - 1;
    const SaveReport saved = saveTracks(log, *save);
    status = printSaveReport(saved, cl.prefix());
    recordFlights(*logbook, {log, save->serialNumber, save->incompleteTrack, &saved}, cl.prefix());
    if (log.tracks().empty()) cl.warn(QStringLiteral("the file holds no track"));
    return status;
}

}  // namespace kav::cli
