#include "cli/logbook_hook.h"

#include <QDir>
#include <QFileInfo>

#include "cli/console.h"
#include "logbook/logbook.h"
#include "logbook/logged_flights.h"

namespace kav::cli {

void addLogbookOptions(CommandLine& cl, bool byDefault) {
    cl.add({QStringLiteral("logbook"),
            QStringLiteral("Add the flights read to the logbook FILE (an SQLite file; a flight "
                           "already in it is not added again)") +
                (byDefault ? QStringLiteral(" instead of the user's "
                                            "(~/.local/share/kav-skytraq/logbook.sqlite on "
                                            "Linux).")
                           : QStringLiteral("; without it no logbook is written.")),
            QStringLiteral("FILE")});
    if (byDefault)
        cl.add({QStringLiteral("no-logbook"),
                QStringLiteral("Do not add the flights read to any logbook.")});
}

std::optional<QString> logbookPath(CommandLine& cl, bool byDefault) {
    const QCommandLineParser& parser = cl.parser();
    const bool given = parser.isSet(QStringLiteral("logbook"));
    if (byDefault && parser.isSet(QStringLiteral("no-logbook"))) {
        if (!given) return QString();
        cl.usageError(QStringLiteral("give either --logbook or --no-logbook"));
        return std::nullopt;
    }
    if (given) {
        const QString path = parser.value(QStringLiteral("logbook"));
        if (path.isEmpty()) {
            cl.usageError(QStringLiteral("--logbook needs a file name"));
            return std::nullopt;
        }
        return path;
    }
    return byDefault ? kav::logbook::defaultLogbookPath() : QString();
}

namespace {

std::vector<kav::logbook::WrittenFile> writtenFiles(const SaveReport* saved) {
    std::vector<kav::logbook::WrittenFile> files;
    if (!saved) return files;
    for (qsizetype i = 0; i < saved->written.size() && std::size_t(i) < saved->writtenFixes.size();
         ++i)
        files.push_back(
            {QFileInfo(saved->written[i]).absoluteFilePath(), saved->writtenFixes[std::size_t(i)]});
    return files;
}

}  // namespace

bool recordFlights(const QString& path, const ReadFlights& read, const QString& prefix) {
    if (path.isEmpty()) return true;
    const auto files = writtenFiles(read.saved);
    auto flights =
        kav::logbook::flightsToLog(read.log, read.serialNumber, read.incompleteTrack, files);
    if (flights.empty()) return true;
    kav::logbook::LogbookError error;
    std::optional<kav::logbook::Recorded> recorded;
    if (const auto logbook = kav::logbook::Logbook::open(path, &error))
        recorded = kav::logbook::recordInto(*logbook, std::move(flights), error);
    if (!recorded) {
        printErr(prefix + QStringLiteral("flights not added to the logbook: %1; the files are "
                                         "saved")
                              .arg(error.text));
        return false;
    }
    printErr(QStringLiteral("Logbook %1: %2")
                 .arg(QDir::toNativeSeparators(path), kav::logbook::recordedText(*recorded)));
    return true;
}

}  // namespace kav::cli
