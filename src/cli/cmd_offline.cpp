// list and convert: the tracks of a raw log file, without a logger.

#include "cli/cli_app.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/track_options.h"
#include "cli/track_selection.h"
#include "log/gps_time.h"
#include "log/raw_log_file.h"

namespace kav::cli {

namespace {

QString utcText(kav::log::DateTime t) {
    return kav::log::toQDateTime(t).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
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
        status = cl.failure(result.error);
        return false;
    }
    if (result.sectors == 0) {
        status = cl.failure(QStringLiteral("%1 holds no whole sector").arg(files.front()));
        return false;
    }
    if (result.tailBytes > 0)
        printErr(QStringLiteral("kav-skytraq-cli %1: the last %2 bytes are less than a sector "
                                "and were not read")
                     .arg(cl.name())
                     .arg(result.tailBytes));
    return true;
}

}  // namespace

int runList(const QStringList& args) {
    CommandLine cl(QStringLiteral("list"), QStringLiteral("FILE"),
                   QStringLiteral("Lists the tracks of a raw log file (saved by download --raw): "
                                  "number, UTC start and finish, number of fixes."));
    cl.parser().addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Raw log file."));
    if (const auto done = cl.parse(args)) return *done;
    kav::log::LogCollection log;
    kav::log::RawLogResult loaded;
    int status = kExitOk;
    if (!loadPositional(cl, log, loaded, status)) return status;
    printOut(QStringLiteral("%1 sectors, %2 fixes, %3 tracks")
                 .arg(loaded.sectors)
                 .arg(log.logData().size())
                 .arg(log.tracks().size()));
    for (std::size_t i = 0; i < log.tracks().size(); ++i) {
        const kav::log::Track& t = log.tracks()[i];
        printOut(QStringLiteral("%1  %2  %3  %4")
                     .arg(i + 1, 3)
                     .arg(utcText(t.start), utcText(t.finish))
                     .arg(t.last - t.first + 1));
    }
    return kExitOk;
}

int runConvert(const QStringList& args) {
    CommandLine cl(QStringLiteral("convert"),
                   QStringLiteral("FILE --out DIR [--format F] [--tracks LIST]"),
                   QStringLiteral("Saves the tracks of a raw log file (saved by download --raw) "
                                  "as download would.\n") +
                       fileNamingHelp());
    cl.parser().addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Raw log file."));
    addTrackOptions(cl);
    if (const auto done = cl.parse(args)) return *done;
    std::optional<SaveRequest> save = trackOptions(cl);
    if (!save) return kExitUsage;
    kav::log::LogCollection log;
    kav::log::RawLogResult loaded;
    int status = kExitOk;
    if (!loadPositional(cl, log, loaded, status)) return status;
    save->serialNumber = loaded.identity.serialNumber;
    save->firmware = loaded.identity.firmware;
    save->hardware = loaded.identity.hardware;
    const SaveReport report = saveTracks(log, *save);
    for (const QString& path : report.written) printOut(path);
    for (const QString& error : report.errors) printErr(cl.name() + QStringLiteral(": ") + error);
    if (!report.missing.empty())
        printErr(QStringLiteral("kav-skytraq-cli %1: ").arg(cl.name()) +
                 missingTracksText(report.missing, report.trackCount));
    if (log.tracks().empty())
        printErr(QStringLiteral("kav-skytraq-cli convert: the file holds no track"));
    return report.ok() ? kExitOk : kExitFailure;
}

}  // namespace kav::cli
