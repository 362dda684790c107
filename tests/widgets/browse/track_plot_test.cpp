// The chart: grid positions, fitting, drawing (pixels) and the pen lifted outside the frame.
#include <cmath>
#include <limits>
#include <numbers>

#include <QImage>
#include <QtTest>

#include "browse/grid_labels.h"
#include "browse/track_plot.h"
#include "log/track_points.h"
#include "test_log.h"

using kav::browse::ChartView;
using kav::browse::TrackPlot;
using kav::log::TrackPoints;

Q_DECLARE_METATYPE(ChartView)
Q_DECLARE_METATYPE(TrackPoints)

namespace {

const QColor kWhite(255, 255, 255);
const QColor kGreen(0, 128, 0);
const QColor kBlue(0, 0, 255);

// Points with the bounds widened the way the track builder widens them.
TrackPoints pointsOf(const std::vector<std::pair<double, double>>& latLong) {
    TrackPoints p;
    for (auto [lat, lon] : latLong) {
        p.FRLatitudes.push_back(lat);
        p.FRLongitudes.push_back(lon);
        p.FRHeures.push_back(0);
        p.FRAltitudes.push_back(0);
        p.FRDateTimes.push_back(0);
    }
    auto widenMax = [](double v) { return v >= 0 ? v * 10005 / 10000 : v * 9995 / 10000; };
    auto widenMin = [](double v) { return v >= 0 ? v * 9995 / 10000 : v * 10005 / 10000; };
    const auto [latMin, latMax] = std::minmax_element(p.FRLatitudes.begin(), p.FRLatitudes.end());
    const auto [lonMin, lonMax] = std::minmax_element(p.FRLongitudes.begin(), p.FRLongitudes.end());
    p.LatMax = widenMax(*latMax);
    p.LatMin = widenMin(*latMin);
    p.LongMax = widenMax(*lonMax);
    p.LongMin = widenMin(*lonMin);
    p.LatRef = (p.LatMax + p.LatMin) / 2;
    p.LongRef = (p.LongMax + p.LongMin) / 2;
    return p;
}

QImage renderOf(TrackPlot& plot, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    plot.render(image);
    return image;
}

int countColour(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == colour;
    return n;
}

// The frame of the examples: latitudes 49.3 .. 49.9 and longitudes about 1.2 .. 1.9.
const ChartView kExampleView{49.6, 1.55, 0.001};
const QSize kExampleSize(454, 600);

}  // namespace

class TrackPlotTest : public QObject {
    Q_OBJECT
  private slots:
    void gridLines_data() {
        QTest::addColumn<ChartView>("view");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<double>>("lats");
        QTest::addColumn<QList<double>>("longs");
        // Only the lines inside the frame: latitudes 49.3 .. 49.9, longitudes 1.2 .. 1.9.
        QTest::newRow("frame examples")
            << kExampleView << kExampleSize << QList<double>{49.5, 49.75}
            << QList<double>{1.25, 1.5, 1.75};
        // 0.2 degrees of latitude, 0.2 / cos(45) of longitude around 45 S 0.6 W.
        QTest::newRow("south west") << ChartView{-45.0, -0.6, 0.001} << QSize(200, 200)
                                    << QList<double>{-45.0} << QList<double>{-0.5};
        // Half a quarter degree.
        QTest::newRow("tiny frame") << ChartView{10.0, 10.0, 0.0001} << QSize(100, 100)
                                    << QList<double>{10.0} << QList<double>{10.0};
        // E6°12' to E6°21': no whole degree near, one quarter inside.
        QTest::newRow("E6 12' to E6 21'")
            << ChartView{45.0, 6.275, 0.075 * std::cos(std::numbers::pi / 4) / 200}
            << QSize(400, 300) << QList<double>{45.0} << QList<double>{6.25};
        // Lines 3 pixels from the left and top edges: their labels are moved inside.
        QTest::newRow("lines at the edges") << ChartView{0.153, 0.347, 0.001} << QSize(200, 200)
                                            << QList<double>{0.25} << QList<double>{0.25};
    }
    void gridLines() {
        QFETCH(ChartView, view);
        QFETCH(QSize, size);
        QFETCH(QList<double>, lats);
        QFETCH(QList<double>, longs);
        const auto gotLats = kav::browse::latitudeLines(view, size);
        const auto gotLongs = kav::browse::longitudeLines(view, size);
        QCOMPARE(QList<double>(gotLats.begin(), gotLats.end()), lats);
        QCOMPARE(QList<double>(gotLongs.begin(), gotLongs.end()), longs);
        // Every line labelled, every label whole inside the chart and clear of the others.
        const auto labels = kav::browse::gridLabels(view, size, QFontMetrics(QFont()));
        QCOMPARE(labels.size(), std::size_t(lats.size() + longs.size()));
        for (std::size_t i = 0; i < labels.size(); ++i) {
            QVERIFY2(QRect(QPoint(0, 0), size).contains(labels[i].box), qPrintable(labels[i].text));
            for (std::size_t j = 0; j < i; ++j) QVERIFY(!labels[i].box.intersects(labels[j].box));
        }
    }

    void projection_data() {
        QTest::addColumn<ChartView>("view");
        QTest::addColumn<double>("lon");
        QTest::addColumn<double>("lat");
        QTest::addColumn<QPoint>("pixel");
        QTest::newRow("centre") << kExampleView << 1.55 << 49.6 << QPoint(227, 300);
        QTest::newRow("a quarter up") << kExampleView << 1.55 << 49.75 << QPoint(227, 150);
        // Half a pixel scale, so that the halves are exact.
        const ChartView halves{0.0, 0.0, 0.5};
        QTest::newRow("300.5 rounds to even") << halves << 0.0 << -0.25 << QPoint(227, 300);
        QTest::newRow("301.5 rounds to even") << halves << 0.0 << -0.75 << QPoint(227, 302);
        QTest::newRow("east of centre") << halves << 10.0 << 0.0 << QPoint(247, 300);
    }
    void projection() {
        QFETCH(ChartView, view);
        QFETCH(double, lon);
        QFETCH(double, lat);
        QFETCH(QPoint, pixel);
        QCOMPARE(kav::browse::GetXY(view, kExampleSize, lon, lat), pixel);
        const auto back = kav::browse::GetLongLat(view, kExampleSize, pixel.x(), pixel.y());
        QVERIFY(std::abs(back.lat - lat) <= view.AEchX);
        QVERIFY(std::abs(back.Long - lon) <= view.AEchX);
    }

    void fitting_data() {
        QTest::addColumn<TrackPoints>("points");
        QTest::addColumn<double>("latCentre");
        QTest::addColumn<double>("longCentre");
        QTest::addColumn<double>("aEchX");
        const TrackPoints wide = pointsOf({{49.6, 1.0}, {49.61, 2.0}});
        const double cWide = std::cos(wide.LatRef * std::numbers::pi / 180);
        QTest::newRow("fills the width") << wide << wide.LatRef << wide.LongRef
                                         << (cWide * (wide.LongMax - wide.LongMin) + 0.01) / 1000;
        const TrackPoints tall = pointsOf({{49.0, 1.5}, {50.0, 1.51}});
        QTest::newRow("fills the height")
            << tall << tall.LatRef << tall.LongRef
            << ((1000.0 / 600) * (tall.LatMax - tall.LatMin) + 0.01) / 1000;
        const TrackPoints one = pointsOf({{49.65, 1.47}});
        QTest::newRow("one fix") << one << one.LatRef << one.LongRef
                                 << ((1000.0 / 600) * (one.LatMax - one.LatMin) + 0.01) / 1000;
        QTest::newRow("one fix at the null position")
            << pointsOf({{0.0, 0.0}}) << 0.0 << 0.0 << 0.01 / 1000;
    }
    void fitting() {
        QFETCH(TrackPoints, points);
        QFETCH(double, latCentre);
        QFETCH(double, longCentre);
        QFETCH(double, aEchX);
        TrackPlot plot;
        plot.resize(1000, 600);
        plot.setTrack(points);
        QCOMPARE(plot.view().LatCentre, latCentre);
        QCOMPARE(plot.view().LongCentre, longCentre);
        QVERIFY(qFuzzyCompare(plot.view().AEchX, aEchX));
        QVERIFY(plot.view().AEchX > 0);
    }

    // Nothing chosen yet: the start-up view, the grid alone on white.
    void startUpChart() {
        TrackPlot plot;
        QCOMPARE(plot.view().LatCentre, 49.6508);
        QCOMPARE(plot.view().LongCentre, 1.4753);
        QCOMPARE(plot.view().AEchX, 0.001);
        const QImage image = renderOf(plot, QSize(1000, 600));
        QVERIFY(countColour(image, kGreen) > 0);
        QCOMPARE(countColour(image, kBlue), 0);
    }

    void drawsGridAndTrack() {
        TrackPlot plot;
        plot.setView(kExampleView);
        plot.setTrack(TrackPoints{});  // an empty track keeps the view
        QCOMPARE(plot.view().LatCentre, kExampleView.LatCentre);
        TrackPoints p = pointsOf({{49.55, 1.45}, {49.55, 1.65}});
        plot.setTrack(p);
        plot.setView(kExampleView);
        const QImage image = renderOf(plot, kExampleSize);
        const int y4950 = kav::browse::GetXY(kExampleView, kExampleSize, 1.55, 49.5).y();
        QCOMPARE(image.pixelColor(kExampleSize.width() - 10, y4950), kGreen);
        const int x175 = kav::browse::GetXY(kExampleView, kExampleSize, 1.75, 49.6).x();
        QCOMPARE(image.pixelColor(x175, kExampleSize.height() - 10), kGreen);
        const QPoint mid = kav::browse::GetXY(kExampleView, kExampleSize, 1.55, 49.55);
        QCOMPARE(image.pixelColor(mid), kBlue);
        QCOMPARE(image.pixelColor(mid + QPoint(0, 20)), kWhite);
    }

    // A point outside the frame lifts the pen: nothing joins across the gap.
    void penLiftedOutsideTheFrame() {
        TrackPlot plot;
        plot.setView(kExampleView);
        plot.setTrack(pointsOf({{49.55, 1.40}, {60.0, 1.55}, {49.55, 1.70}, {49.65, 1.70}}));
        plot.setView(kExampleView);
        const QImage image = renderOf(plot, kExampleSize);
        const QPoint gap = kav::browse::GetXY(kExampleView, kExampleSize, 1.55, 49.55);
        const QPoint towardsOut = kav::browse::GetXY(kExampleView, kExampleSize, 1.45, 49.60);
        QCOMPARE(image.pixelColor(gap), kWhite);
        QCOMPARE(image.pixelColor(towardsOut), kWhite);
        const QPoint inside = kav::browse::GetXY(kExampleView, kExampleSize, 1.70, 49.60);
        QCOMPARE(image.pixelColor(inside), kBlue);
    }

    void emptyPlotKeepsViewAndDrawsGridAlone() {
        TrackPlot plot;
        plot.resize(800, 500);
        plot.setTrack(pointsOf({{45.0, 6.0}, {45.2, 6.3}}));
        const ChartView fitted = plot.view();
        plot.clear();
        QCOMPARE(plot.points().FRTaille(), std::size_t(0));
        QCOMPARE(plot.view().LatCentre, fitted.LatCentre);
        QCOMPARE(plot.view().AEchX, fitted.AEchX);
        const QImage image = renderOf(plot, QSize(800, 500));
        QCOMPARE(countColour(image, kBlue), 0);
        QVERIFY(countColour(image, kGreen) > 0);
        plot.resize(300, 200);  // a resize never refits
        QCOMPARE(plot.view().AEchX, fitted.AEchX);
    }

    // Points that are not numbers, and a polar track, neither crash nor hang the drawing.
    void badPointsAreSkipped() {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        TrackPlot plot;
        plot.resize(400, 300);
        TrackPoints p = pointsOf({{89.99, 10.0}, {90.0, -170.0}});
        plot.setTrack(p);
        QVERIFY(std::isfinite(plot.view().AEchX) && plot.view().AEchX > 0);
        p.FRLatitudes.push_back(nan);
        p.FRLongitudes.push_back(nan);
        plot.setTrack(p);
        renderOf(plot, QSize(400, 300));
        plot.setView(ChartView{0, 0, 0});  // refused: a zero scale
        QVERIFY(plot.view().AEchX > 0);
    }

    // The plotted track holds every fix of the track, the last one included.
    void wholeTrackIsPlotted() {
        const auto log = kav::browse::testing::makeLog(
            {{kav::browse::testing::kMondayMidnight + 3600, 100, 10}, {40000, 50, 10}});
        const auto& track = log.tracks().at(0);
        TrackPlot plot;
        plot.resize(600, 400);
        plot.setTrack(kav::log::buildTrackPoints(log.logData(), track.first, track.last));
        QCOMPARE(plot.points().FRTaille(), track.last - track.first + 1);
        QCOMPARE(plot.points().FRTaille(), std::size_t(11));
    }
};

QTEST_MAIN(TrackPlotTest)
#include "track_plot_test.moc"
