#pragma once
// The flights of a decoded log as logbook rows: statistics and score over the fixes from
// take-off to landing, and the files written that hold each flight.

#include <optional>
#include <span>
#include <vector>

#include "flight/log_flights.h"
#include "log/track_list.h"
#include "logbook/logged_flight.h"

namespace kav::logbook {

struct WrittenFile {
    QString path;
    kav::flight::FixRange fixes;  // the log fixes the file holds
};

// The flights of log, logged by serialNumber; a flight gets the files whose fixes hold its
// take-off. The flights of incompleteTrack are left out: their landing may not have been read.
std::vector<LoggedFlight> loggedFlights(const kav::log::LogCollection& log,
                                        const QString& serialNumber,
                                        std::optional<std::size_t> incompleteTrack,
                                        std::span<const WrittenFile> files = {});

}  // namespace kav::logbook
