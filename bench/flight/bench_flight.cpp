// Scores flights of 1,000 to 50,000 fixes and prints the time of each: a loop of thermals and
// glides, a long straight glide (the hardest case for the search's bounds) exactly on its line,
// with half a metre of noise (a logger's whole-metre coordinates) and with two metres, and a
// flight circling one ellipse again and again.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "flight/flight_score.h"
#include "flight/flight_stats.h"
#include "synthetic_flight.h"

using namespace kav::flight;

namespace {

double processorMs() {
    return double(std::clock()) * 1000 / CLOCKS_PER_SEC;
}

template <typename F>
double medianMs(F work, int runs) {
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        const double start = processorMs();
        work();
        ms.push_back(processorMs() - start);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void report(const char* name, const std::vector<FlightFix>& fixes, ScoreRules rules) {
    FlightScore score;
    const int runs = fixes.size() > 20000 ? 3 : 7;
    const double scoreMs = medianMs([&] { score = scoreFlight(fixes, rules); }, runs);
    const double statsMs = medianMs([&] { (void)flightStats(fixes); }, runs);
    std::printf(
        "%-9s %-8s %6zu fixes  score %8.1f ms  stats %5.2f ms  %-20s %8.3f km %8.3f points"
        "  %zu bounds  gap %.4f %s\n",
        name, qPrintable(scoreRulesName(rules)), fixes.size(), scoreMs, statsMs,
        qPrintable(scoreTypeName(score.type)), score.km, score.points, score.searched,
        score.upperPoints - score.points, score.proven ? "proven" : "NOT PROVEN (budget)");
}

// The memory image's flights: an ellipse of about 900 m by 900 m flown round and round, climbing.
std::vector<FlightFix> circling(std::size_t n) {
    std::vector<FlightFix> fixes;
    for (std::size_t i = 0; i < n; ++i) {
        const double turn = double(i) * 0.02;
        fixes.push_back({46000.5 + double(i) / 86400, 45 + 0.004 * std::sin(turn),
                         6 + 0.006 * std::cos(turn), -80 + 1.5 * double(i)});
    }
    return fixes;
}

}  // namespace

int main() {
    std::printf("processor time per flight, median\n");
    for (const std::size_t n : {1000u, 10000u, 50000u}) {
        report("loop", testing::thermalLoop(n), ScoreRules::XContest);
        report("line", testing::straightFlight(n, 0), ScoreRules::XContest);
        report("straight", testing::straightFlight(n, 0.5), ScoreRules::XContest);
        report("noisy", testing::straightFlight(n, 2), ScoreRules::XContest);
    }
    report("loop", testing::thermalLoop(50000), ScoreRules::Ffvl);
    report("circling", circling(816), ScoreRules::XContest);
    return 0;
}
