// The Score panel and the scored routes on the chart, for the flights of the plotted track.
#include <QLabel>

#include "app/main_window.h"
#include "browse/track_plot.h"
#include "browse/track_table.h"
#include "browse/track_table_model.h"
#include "flight/flight_text.h"
#include "flight/log_flights.h"

namespace kav::app {

void TKAVSkyTraqV6::showScores(int track) {
    if (!LbScore) return;
    QStringList lines;
    std::vector<browse::ScoredRoute> routes;
    if (track >= 0) {
        const auto& flights = TraceGridGT730->trackModel()->flights(track);
        for (std::size_t k = 0; k < flights.size(); ++k) {
            const flight::Flight& f = flights[k];
            auto key = std::make_tuple(f.takeoff, f.landing, f.takeoffTime);
            auto found = scored_.find(key);
            if (found == scored_.end()) {
                const auto fixes = flight::flightFixes(collection().logData(), f);
                found = scored_
                            .emplace(key, ScoredFlight{flight::scoreFlight(fixes),
                                                       flight::flightStats(fixes)})
                            .first;
            }
            routes.push_back(browse::routeOf(found->second.score));
            const QStringList score = flight::scoreLines(found->second.score);
            lines << tr("Flight %1: %2").arg(k + 1).arg(score.front());
            lines << score.mid(1) << flight::statsLines(found->second.stats);
        }
    }
    PaintBox1->setRoutes(routes);
    LbScore->setText(lines.join(u'\n'));
    LbScore->setVisible(!lines.isEmpty());
}

}  // namespace kav::app
