#include "flight/log_flights.h"

#include <QDate>

#include "log/gps_time.h"

namespace kav::flight {

namespace {

constexpr double kSecondsPerDay = 86400;

kav::log::DateTime fixTime(const kav::log::LogData& log, std::size_t i) {
    return kav::log::GpsTime2Datetime(log[i].WeekNumber, log[i].TimeOfWeek);
}

QDate utcDate(kav::log::DateTime t) {
    return kav::log::toQDateTime(t).date();
}

}  // namespace

std::vector<std::vector<Flight>> findLogFlights(const kav::log::LogCollection& log,
                                                const FlightRules& rules) {
    std::vector<std::vector<Flight>> flights;
    for (const kav::log::Track& track : log.tracks())
        flights.push_back(findFlights(
            kav::log::convertTrack(log.logData(), track.first, track.last), track.first, rules));
    return flights;
}

int flightOfDay(const std::vector<std::vector<Flight>>& flights, std::size_t track, std::size_t k) {
    const QDate date = utcDate(flights[track][k].takeoffTime);
    int number = 0;
    for (std::size_t t = 0; t <= track; ++t)
        for (std::size_t f = 0; f < flights[t].size() && (t < track || f <= k); ++f)
            if (utcDate(flights[t][f].takeoffTime) == date) ++number;
    return number;
}

FixRange savedFixes(const kav::log::LogData& log, const kav::log::Track& track,
                    const Flight& flight) {
    const double margin = kSavedMarginSeconds / kSecondsPerDay;
    FixRange range{flight.takeoff, flight.landing};
    while (range.first > track.first &&
           fixTime(log, range.first - 1) >= flight.takeoffTime - margin)
        --range.first;
    while (range.last < track.last && fixTime(log, range.last + 1) <= flight.landingTime + margin)
        ++range.last;
    return range;
}

std::vector<FlightFix> flightFixes(const kav::log::LogData& log, const Flight& flight) {
    const kav::log::ConvertedTrack track =
        kav::log::convertTrack(log, flight.takeoff, flight.landing);
    return flightFixes(track, 0, track.points.size());
}

long long flightSeconds(const Flight& flight) {
    return kav::log::wholeSeconds(flight.landingTime) - kav::log::wholeSeconds(flight.takeoffTime);
}

}  // namespace kav::flight
