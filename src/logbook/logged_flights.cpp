#include "logbook/logged_flights.h"

#include <QtConcurrent/QtConcurrentMap>

#include "flight/flight_score.h"
#include "flight/flight_stats.h"
#include "log/gps_time.h"
#include "logbook/flight_fingerprint.h"
#include "logbook/logbook.h"

namespace kav::logbook {

namespace {

FlightToLog flightToLog(const kav::log::LogCollection& log, const kav::log::Track& track,
                        const kav::log::ConvertedTrack& converted, const kav::flight::Flight& f,
                        std::span<const WrittenFile> files) {
    FlightToLog flight;
    LoggedFlight& row = flight.row;
    row.fingerprint = flightFingerprint(log.logData(), f.takeoff, f.landing);
    row.takeoff = kav::log::toQDateTime(f.takeoffTime);
    row.landing = kav::log::toQDateTime(f.landingTime);
    flight.fixes =
        kav::flight::flightFixes(converted, f.takeoff - track.first, f.landing - track.first);
    for (const WrittenFile& file : files)
        if (file.fixes.first <= f.takeoff && f.takeoff <= file.fixes.last) row.files << file.path;
    return flight;
}

}  // namespace

std::vector<FlightToLog> flightsToLog(const kav::log::LogCollection& log,
                                      const QString& serialNumber,
                                      std::optional<std::size_t> incompleteTrack,
                                      std::span<const WrittenFile> files) {
    std::vector<FlightToLog> flights;
    const auto& tracks = log.tracks();
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        if (incompleteTrack == t) continue;
        const kav::log::ConvertedTrack converted =
            kav::log::convertTrack(log.logData(), tracks[t].first, tracks[t].last);
        for (const kav::flight::Flight& f : kav::flight::findFlights(converted, tracks[t].first)) {
            flights.push_back(flightToLog(log, tracks[t], converted, f, files));
            flights.back().row.serialNumber = serialNumber;
        }
    }
    return flights;
}

// A full memory holds hundreds of flights: they are scored on every core.
std::vector<LoggedFlight> measureFlights(std::vector<FlightToLog> flights,
                                         const NeedsFigures& needs) {
    QtConcurrent::blockingMap(flights, [&needs](FlightToLog& f) {
        f.row.measured = !needs || needs(f.row);
        if (f.row.measured) {
            f.row.stats = kav::flight::flightStats(f.fixes);
            f.row.score = kav::flight::scoreFlight(f.fixes);
        }
        f.fixes = {};
    });
    std::vector<LoggedFlight> rows;
    rows.reserve(flights.size());
    for (FlightToLog& f : flights) rows.push_back(std::move(f.row));
    return rows;
}

std::vector<LoggedFlight> loggedFlights(const kav::log::LogCollection& log,
                                        const QString& serialNumber,
                                        std::optional<std::size_t> incompleteTrack,
                                        std::span<const WrittenFile> files) {
    return measureFlights(flightsToLog(log, serialNumber, incompleteTrack, files));
}

std::optional<Recorded> recordInto(Logbook& book, std::vector<FlightToLog> flights,
                                   LogbookError& error) {
    std::vector<LoggedFlight> rows;
    for (const FlightToLog& f : flights) rows.push_back(f.row);
    const std::optional<QSet<QString>> held = book.held(rows, error);
    if (!held) return std::nullopt;
    const std::vector<LoggedFlight> measured =
        measureFlights(std::move(flights),
                       [&](const LoggedFlight& row) { return !held->contains(row.fingerprint); });
    return book.record(measured, error);
}

}  // namespace kav::logbook
