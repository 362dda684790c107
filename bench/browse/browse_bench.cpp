// Paint time of a 100,000-point track into a 1000x600 image and of a 1,000-track table.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include <QApplication>
#include <QImage>

#include "browse/track_plot.h"
#include "browse/track_table.h"
#include "log/track_points.h"
#include "test_log.h"

namespace {

using Clock = std::chrono::steady_clock;

// Median and best of several runs, in milliseconds.
void report(const char* what, int runs, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s median %8.2f ms   best %8.2f ms   (%d runs)\n", what, ms[ms.size() / 2],
                ms.front(), runs);
}

// A wandering flight of n points around 45.2 N 6.1 E.
kav::log::TrackPoints flight(int n) {
    kav::log::TrackPoints p;
    for (int i = 0; i < n; ++i) {
        const double t = i * 0.001;
        p.FRLatitudes.push_back(45.2 + 0.05 * std::sin(t) + 0.01 * std::sin(7 * t));
        p.FRLongitudes.push_back(6.1 + 0.08 * std::cos(0.7 * t) + 0.01 * std::cos(11 * t));
        p.FRHeures.push_back(i);
        p.FRAltitudes.push_back(3000);
        p.FRDateTimes.push_back(0);
    }
    const auto [latMin, latMax] = std::minmax_element(p.FRLatitudes.begin(), p.FRLatitudes.end());
    const auto [lonMin, lonMax] = std::minmax_element(p.FRLongitudes.begin(), p.FRLongitudes.end());
    p.LatMax = *latMax * 1.0005;
    p.LatMin = *latMin * 0.9995;
    p.LongMax = *lonMax * 1.0005;
    p.LongMin = *lonMin * 0.9995;
    p.LatRef = (p.LatMax + p.LatMin) / 2;
    p.LongRef = (p.LongMax + p.LongMin) / 2;
    return p;
}

void benchPlot() {
    kav::browse::TrackPlot plot;
    plot.resize(1000, 600);
    plot.setTrack(flight(100000));
    QImage image(1000, 600, QImage::Format_RGB32);
    report("chart, 100,000 points, 1000x600 image", 20, [&] { plot.render(image); });
    // Zoomed in: most points outside the frame, many short runs.
    kav::browse::ChartView zoom = plot.view();
    zoom.AEchX /= 20;
    plot.setView(zoom);
    report("chart zoomed x20 (pen lifted often)", 20, [&] { plot.render(image); });
}

void benchTable() {
    std::vector<kav::browse::testing::TrackSpan> spans;
    for (uint32_t i = 0; i < 1000; ++i)
        spans.push_back({kav::browse::testing::kMondayMidnight + i * 600, i % 2 ? 700u : 60u, 20});
    const auto log = kav::browse::testing::makeLog(spans);
    kav::browse::TrackTable table;
    table.resize(380, 600);
    table.setCollection(&log);
    table.show();
    QApplication::processEvents();
    report("table, 1,000 tracks, 380x600 paint", 20, [&] { table.grab(); });
    report("table, short-list filter on/off", 20, [&] {
        table.setShortList(true);
        table.setShortList(false);
    });
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchPlot();
    benchTable();
    return 0;
}
