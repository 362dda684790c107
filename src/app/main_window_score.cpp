// The Score panel and the scored routes on the chart, for the flights of the plotted track. A
// flight not scored before is scored on the thread pool, from its own copy of the fixes.
#include <QFutureWatcher>
#include <QLabel>
#include <QtConcurrentRun>

#include "app/main_window.h"
#include "browse/track_plot.h"
#include "browse/track_table.h"
#include "browse/track_table_model.h"
#include "flight/flight_text.h"
#include "flight/log_flights.h"

namespace kav::app {

void TKAVSkyTraqV6::showScores(int track) {
    if (!LbScore) return;
    const std::uint64_t request = ++scoreRequest_;
    struct Work {
        ScoreKey key;
        std::vector<flight::FlightFix> fixes;
        ScoredFlight scored{};
    };
    std::vector<Work> work;
    if (track >= 0)
        for (const flight::Flight& f : TraceGridGT730->trackModel()->flights(track))
            if (ScoreKey key{f.takeoff, f.landing, f.takeoffTime}; !scored_.contains(key))
                work.push_back({key, flight::flightFixes(collection().logData(), f)});
    if (work.empty()) {
        presentScores(track);
        return;
    }
    PaintBox1->setRoutes({});
    LbScore->setText(tr("Scoring the flights of track %1…").arg(track + 1));
    LbScore->setVisible(true);
    // The watcher goes with the window: a result that comes back after it closed reaches nothing.
    auto* watcher = new QFutureWatcher<std::vector<Work>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, request, track] {
        watcher->deleteLater();
        for (Work& done : watcher->future().takeResult()) scored_.emplace(done.key, done.scored);
        if (request == scoreRequest_) presentScores(track);
    });
    watcher->setFuture(QtConcurrent::run([work = std::move(work)]() mutable {
        for (Work& w : work)
            w.scored = {flight::scoreFlight(w.fixes), flight::flightStats(w.fixes)};
        return std::move(work);
    }));
}

flight::FlightScore TKAVSkyTraqV6::scoreOf(const flight::Flight& f) const {
    if (const auto known = scored_.find({f.takeoff, f.landing, f.takeoffTime});
        known != scored_.end())
        return known->second.score;
    return flight::scoreFlight(flight::flightFixes(collection().logData(), f));
}

void TKAVSkyTraqV6::presentScores(int track) {
    QStringList lines;
    std::vector<browse::ScoredRoute> routes;
    if (track >= 0) {
        const auto& flights = TraceGridGT730->trackModel()->flights(track);
        for (std::size_t k = 0; k < flights.size(); ++k) {
            const flight::Flight& f = flights[k];
            const ScoredFlight& scored = scored_.at({f.takeoff, f.landing, f.takeoffTime});
            routes.push_back(browse::routeOf(scored.score));
            const QStringList score = flight::scoreLines(scored.score);
            lines << tr("Flight %1: %2").arg(k + 1).arg(score.front());
            lines << score.mid(1) << flight::statsLines(scored.stats);
        }
    }
    PaintBox1->setRoutes(routes);
    LbScore->setText(lines.join(u'\n'));
    LbScore->setVisible(!lines.isEmpty());
    emit scoresShown(track);
}

}  // namespace kav::app
