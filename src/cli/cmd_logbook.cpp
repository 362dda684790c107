// logbook: the flights kept in the logbook, and their totals per year.

#include "cli/cli_app.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/logbook_listing.h"
#include "logbook/logbook.h"

namespace kav::cli {

namespace {

using Kind = kav::logbook::LogbookError::Kind;

int statusFor(Kind kind) {
    switch (kind) {
        case Kind::None:
            return kExitOk;
        case Kind::Locked:
            return kExitPortBusy;  // EX_TEMPFAIL: try again later
        case Kind::Damaged:
        case Kind::Newer:
            return kExitDataError;
        case Kind::CannotOpen:
            return kExitNoInput;
        case Kind::CannotWrite:
            return kExitCannotWrite;
    }
    return kExitFailure;
}

constexpr int kFirstYear = 1980;  // GPS time starts in 1980
constexpr int kLastYear = 9999;

// Reads --year into year (left empty for every year); false after a usage error.
bool yearFrom(CommandLine& cl, std::optional<int>& year) {
    if (!cl.parser().isSet(QStringLiteral("year"))) return true;
    bool number = false;
    year = cl.parser().value(QStringLiteral("year")).toInt(&number);
    if (number && *year >= kFirstYear && *year <= kLastYear) return true;
    cl.usageError(
        QStringLiteral("--year takes a year from %1 to %2").arg(kFirstYear).arg(kLastYear));
    return false;
}

}  // namespace

int runLogbook(const QStringList& args) {
    CommandLine cl(QStringLiteral("logbook"),
                   QStringLiteral("[--year Y] [--json|--csv] [--logbook FILE]"),
                   QStringLiteral("Lists the flights in the logbook that download, convert and "
                                  "watch add to: one line per flight (UTC take-off, landing, "
                                  "duration, logger, score, maximum height, files), then per "
                                  "year the number of flights, the hours flown and the best "
                                  "distance. Ends with 66 when there is no logbook, 65 when it "
                                  "is damaged or made by a newer version, 75 while another "
                                  "program holds it."));
    cl.add({QStringLiteral("year"),
            QStringLiteral("Only the flights that took off in year Y (UTC)."),
            QStringLiteral("Y")});
    cl.add({QStringLiteral("json"),
            QStringLiteral("Print the flights and totals as one JSON object.")});
    cl.add(
        {QStringLiteral("csv"), QStringLiteral("Print the flights as CSV, a header line first.")});
    cl.add({QStringLiteral("logbook"),
            QStringLiteral("Read the logbook FILE instead of the user's."),
            QStringLiteral("FILE")});
    if (const auto done = cl.parse(args)) return *done;
    const bool json = cl.parser().isSet(QStringLiteral("json"));
    const bool csv = cl.parser().isSet(QStringLiteral("csv"));
    if (json && csv) return cl.usageError(QStringLiteral("give either --json or --csv"));
    std::optional<int> year;
    if (!yearFrom(cl, year)) return kExitUsage;
    const QString path = cl.parser().isSet(QStringLiteral("logbook"))
                             ? cl.parser().value(QStringLiteral("logbook"))
                             : kav::logbook::defaultLogbookPath();
    kav::logbook::LogbookError error;
    std::optional<std::vector<kav::logbook::LoggedFlight>> flights;
    if (const auto logbook = kav::logbook::Logbook::open(path, &error, {.create = false}))
        flights = logbook->flights(year, error);
    if (!flights) return cl.failure(error.text, statusFor(error.kind));
    if (json) {
        printOut(QString::fromUtf8(logbookJson(*flights)).trimmed());
    } else {
        const QStringList lines = csv ? logbookCsv(*flights) : logbookLines(*flights);
        for (const QString& line : lines) printOut(line);
        if (flights->empty() && !csv) cl.warn(QStringLiteral("no flight in %1").arg(path));
    }
    return kExitOk;
}

}  // namespace kav::cli
