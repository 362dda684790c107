#include "logbook/logbook_totals.h"

#include <algorithm>
#include <map>

namespace kav::logbook {

std::vector<YearTotals> yearTotals(const std::vector<LoggedFlight>& flights) {
    std::map<int, YearTotals> byYear;
    for (const LoggedFlight& flight : flights) {
        const int year = flight.takeoff.toUTC().date().year();
        YearTotals& totals = byYear[year];
        totals.year = year;
        totals.flights += 1;
        totals.seconds += double(flight.takeoff.secsTo(flight.landing));
        totals.bestKm = std::max(totals.bestKm, flight.score.km);
    }
    std::vector<YearTotals> years;
    for (const auto& [year, totals] : byYear) years.push_back(totals);
    return years;
}

}  // namespace kav::logbook
