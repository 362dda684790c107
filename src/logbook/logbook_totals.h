#pragma once
// What a pilot's flights add up to, year by year.

#include <vector>

#include "logbook/logged_flight.h"

namespace kav::logbook {

struct YearTotals {
    int year = 0;  // UTC year of the take-offs
    int flights = 0;
    double seconds = 0;  // take-off to landing, summed
    double bestKm = 0;   // the longest scored distance
};

// The totals of each year that has a flight, earliest first.
std::vector<YearTotals> yearTotals(const std::vector<LoggedFlight>& flights);

}  // namespace kav::logbook
