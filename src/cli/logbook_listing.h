#pragma once
// The logbook's flights and yearly totals as text lines, JSON or CSV.

#include <vector>

#include <QByteArray>
#include <QStringList>

#include "logbook/logged_flight.h"

namespace kav::cli {

// One line per flight (UTC take-off, landing, duration, logger, score, height), then one line
// per year: flights, hours, best distance.
QStringList logbookLines(const std::vector<kav::logbook::LoggedFlight>& flights);
// {"flights": [...], "years": [...]}, every stored field of each flight.
QByteArray logbookJson(const std::vector<kav::logbook::LoggedFlight>& flights);
// A header line and one line per flight.
QStringList logbookCsv(const std::vector<kav::logbook::LoggedFlight>& flights);

}  // namespace kav::cli
