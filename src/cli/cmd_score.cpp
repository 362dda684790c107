// score: the cross-country score and statistics of each flight of a raw log file, or of the
// flight in an IGC file (ours or any other recorder's).

#include <QFile>
#include <QFileInfo>

#include "cli/cli_app.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/flight_json.h"
#include "flight/flight_text.h"
#include "flight/igc_reader.h"
#include "flight/log_flights.h"
#include "log/raw_log_file.h"

namespace kav::cli {

namespace {

struct ScoredFlight {
    int track = 0, flight = 0;  // from 1; 0 for an IGC file
    kav::flight::FlightScore score;
    kav::flight::FlightStats stats;
};

ScoredFlight scored(std::span<const kav::flight::FlightFix> fixes, kav::flight::ScoreRules rules) {
    return {0, 0, kav::flight::scoreFlight(fixes, rules), kav::flight::flightStats(fixes)};
}

// An IGC file begins with a record letter and holds lines of text (names in any 8-bit or UTF-8
// encoding); a memory image is binary, full of control bytes.
bool looksLikeIgc(const QByteArray& head) {
    const QByteArray start = head.left(1);
    return !head.isEmpty() && start >= "A" && start <= "Z" &&
           std::all_of(head.begin(), head.end(), [](char c) {
               const auto u = static_cast<unsigned char>(c);
               return c == '\r' || c == '\n' || c == '\t' || (u >= 0x20 && u != 0x7F);
           });
}

std::optional<std::vector<ScoredFlight>> scoreRawLog(CommandLine& cl, const QString& path,
                                                     kav::flight::ScoreRules rules, int& status) {
    kav::log::LogCollection log;
    const kav::log::RawLogResult loaded = kav::log::loadRawLog(path, log);
    if (!loaded.ok() || loaded.sectors == 0) {
        status = cl.failure(
            loaded.ok() ? QStringLiteral("%1 holds no whole sector").arg(path) : loaded.error,
            kExitDataError);
        return std::nullopt;
    }
    std::vector<ScoredFlight> flights;
    const auto found = kav::flight::findLogFlights(log);
    for (std::size_t t = 0; t < found.size(); ++t)
        for (std::size_t k = 0; k < found[t].size(); ++k) {
            ScoredFlight f = scored(kav::flight::flightFixes(log.logData(), found[t][k]), rules);
            f.track = int(t + 1);
            f.flight = int(k + 1);
            flights.push_back(std::move(f));
        }
    return flights;
}

QString flightsJson(const std::vector<ScoredFlight>& flights) {
    QStringList items;
    for (const ScoredFlight& f : flights)
        items << QStringLiteral(R"({"track":%1,"flight":%2,"score":%3,"stats":%4})")
                     .arg(f.track)
                     .arg(f.flight)
                     .arg(scoreJson(f.score), statsJson(f.stats));
    return QStringLiteral(R"({"flights":[%1]})").arg(items.join(u','));
}

void printFlights(const std::vector<ScoredFlight>& flights) {
    for (const ScoredFlight& f : flights) {
        if (f.track > 0) printOut(QStringLiteral("track %1 flight %2").arg(f.track).arg(f.flight));
        for (const QString& line : kav::flight::scoreLines(f.score)) printOut(line);
        for (const QString& line : kav::flight::statsLines(f.stats)) printOut(line);
    }
}

}  // namespace

int runScore(const QStringList& args) {
    CommandLine cl(QStringLiteral("score"), QStringLiteral("FILE [--rules xcontest|ffvl] [--json]"),
                   QStringLiteral("Scores each flight of a raw log file (saved by download --raw) "
                                  "or the flight of an IGC file: the best free distance (up to "
                                  "three turnpoints), flat or FAI triangle under the league's "
                                  "rules, with the flight's statistics."));
    cl.parser().addPositionalArgument(QStringLiteral("FILE"),
                                      QStringLiteral("Raw log file or IGC file."));
    cl.add({QStringLiteral("rules"),
            QStringLiteral("League rules: xcontest (the default) or ffvl."),
            QStringLiteral("RULES"), QStringLiteral("xcontest")});
    cl.add({QStringLiteral("json"), QStringLiteral("Print the scores as one JSON object.")});
    if (const auto done = cl.parse(args)) return *done;
    const auto rules = kav::flight::scoreRulesFromName(cl.parser().value(QStringLiteral("rules")));
    if (!rules) return cl.usageError(QStringLiteral("--rules takes xcontest or ffvl"));
    const QStringList files = cl.parser().positionalArguments();
    if (files.size() != 1) return cl.usageError(QStringLiteral("give exactly one file"));
    QFile file(files.front());
    if (!file.open(QIODevice::ReadOnly)) {
        const QFileInfo info(files.front());
        return cl.failure(
            QStringLiteral("cannot read %1: %2").arg(files.front(), file.errorString()),
            info.exists() && !info.isDir() ? kExitNoPermission : kExitNoInput);
    }
    std::vector<ScoredFlight> flights;
    int status = kExitOk;
    if (looksLikeIgc(file.peek(4096))) {
        const kav::flight::IgcRead igc = kav::flight::readIgc(file.readAll());
        if (igc.fixes.empty())
            return cl.failure(QStringLiteral("%1: %2").arg(files.front(), igc.error),
                              kExitDataError);
        if (igc.skipped > 0)
            cl.warn(QStringLiteral("%1 fix records were repeats or unreadable and were left out")
                        .arg(igc.skipped));
        flights.push_back(scored(igc.fixes, *rules));
    } else {
        file.close();
        auto fromLog = scoreRawLog(cl, files.front(), *rules, status);
        if (!fromLog) return status;
        flights = std::move(*fromLog);
        if (flights.empty()) cl.warn(QStringLiteral("the file holds no flight"));
    }
    if (cl.parser().isSet(QStringLiteral("json")))
        printOut(flightsJson(flights));
    else
        printFlights(flights);
    return kExitOk;
}

}  // namespace kav::cli
