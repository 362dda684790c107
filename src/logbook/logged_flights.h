#pragma once
// The flights of a decoded log as logbook rows: statistics and score over the fixes from
// take-off to landing, and the files written that hold each flight.

#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "flight/flight_fix.h"

#include "flight/log_flights.h"
#include "log/track_list.h"
#include "logbook/logged_flight.h"

namespace kav::logbook {

struct WrittenFile {
    QString path;
    kav::flight::FixRange fixes;  // the log fixes the file holds
};

class Logbook;
struct LogbookError;
struct Recorded;

// A flight of a log before its statistics and score are computed, with the fixes they come from.
struct FlightToLog {
    LoggedFlight row;
    std::vector<kav::flight::FlightFix> fixes;
};

// The flights of log, logged by serialNumber; a flight gets the files whose fixes hold its
// take-off. The flights of incompleteTrack are left out: their landing may not have been read.
std::vector<FlightToLog> flightsToLog(const kav::log::LogCollection& log,
                                      const QString& serialNumber,
                                      std::optional<std::size_t> incompleteTrack,
                                      std::span<const WrittenFile> files = {});

// The rows of flights, statistics and score computed (over the processor's cores) for those
// needs accepts, all when it is empty; the others are left unmeasured.
using NeedsFigures = std::function<bool(const LoggedFlight&)>;
std::vector<LoggedFlight> measureFlights(std::vector<FlightToLog> flights,
                                         const NeedsFigures& needs = {});

// flightsToLog, every flight measured.
std::vector<LoggedFlight> loggedFlights(const kav::log::LogCollection& log,
                                        const QString& serialNumber,
                                        std::optional<std::size_t> incompleteTrack,
                                        std::span<const WrittenFile> files = {});

// Records flights in book, computing the figures only of those it does not hold yet: scoring
// is the costly part, and a memory read again holds mostly flights logged before.
std::optional<Recorded> recordInto(Logbook& book, std::vector<FlightToLog> flights,
                                   LogbookError& error);

}  // namespace kav::logbook
