#include "logbook/logged_flights.h"

#include "flight/flight_fix.h"
#include "log/gps_time.h"
#include "logbook/flight_fingerprint.h"

namespace kav::logbook {

namespace {

LoggedFlight loggedFlight(const kav::log::LogCollection& log, const kav::log::Track& track,
                          const kav::log::ConvertedTrack& converted, const kav::flight::Flight& f,
                          std::span<const WrittenFile> files) {
    LoggedFlight row;
    row.fingerprint = flightFingerprint(log.logData(), f.takeoff, f.landing);
    row.takeoff = kav::log::toQDateTime(f.takeoffTime);
    row.landing = kav::log::toQDateTime(f.landingTime);
    const std::vector<kav::flight::FlightFix> fixes =
        kav::flight::flightFixes(converted, f.takeoff - track.first, f.landing - track.first);
    row.stats = kav::flight::flightStats(fixes);
    row.score = kav::flight::scoreFlight(fixes);
    for (const WrittenFile& file : files)
        if (file.fixes.first <= f.takeoff && f.takeoff <= file.fixes.last) row.files << file.path;
    return row;
}

}  // namespace

std::vector<LoggedFlight> loggedFlights(const kav::log::LogCollection& log,
                                        const QString& serialNumber,
                                        std::optional<std::size_t> incompleteTrack,
                                        std::span<const WrittenFile> files) {
    std::vector<LoggedFlight> rows;
    const auto& tracks = log.tracks();
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        if (incompleteTrack == t) continue;
        const kav::log::ConvertedTrack converted =
            kav::log::convertTrack(log.logData(), tracks[t].first, tracks[t].last);
        for (const kav::flight::Flight& f : kav::flight::findFlights(converted, tracks[t].first)) {
            rows.push_back(loggedFlight(log, tracks[t], converted, f, files));
            rows.back().serialNumber = serialNumber;
        }
    }
    return rows;
}

}  // namespace kav::logbook
