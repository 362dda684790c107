#include "browse/track_plot.h"

#include <cmath>
#include <vector>

#include <QPainter>
#include <QPolygon>

#include "browse/grid_labels.h"

namespace kav::browse {
namespace {

const QColor kGridGreen(0, 128, 0);
const QColor kTrackBlue(0, 0, 255);
const QColor kRouteMagenta(200, 0, 200);
constexpr int kTrackPenWidth = 2;

// The frame in degrees: top-left and bottom-right corners of the chart.
struct Frame {
    double LgAfMin, LgAfMax, LtAfMin, LtAfMax;

    // Written so that a NaN coordinate counts as outside.
    bool contains(double Long, double lat) const {
        return lat >= LtAfMin && lat <= LtAfMax && Long >= LgAfMin && Long <= LgAfMax;
    }
};

Frame frameOf(const ChartView& view, QSize size) {
    const LongLat bottomRight = GetLongLat(view, size, size.width(), size.height());
    const LongLat topLeft = GetLongLat(view, size, 0, 0);
    return {topLeft.Long, bottomRight.Long, bottomRight.lat, topLeft.lat};
}

void drawGrid(QPainter& painter, const ChartView& view, QSize size) {
    painter.setPen(QPen(kGridGreen, 1));
    painter.setBrush(Qt::NoBrush);
    const int W = size.width();
    const int H = size.height();
    for (double lat : latitudeLines(view, size)) {
        const int y = GetXY(view, size, view.LongCentre, lat).y();
        painter.drawLine(2, y, W - 2, y);
    }
    for (double lon : longitudeLines(view, size)) {
        const int x = GetXY(view, size, lon, view.LatCentre).x();
        painter.drawLine(x, 2, x, H - 2);
    }
    // Labels have no background.
    const QFontMetrics metrics = painter.fontMetrics();
    for (const GridLabel& label : gridLabels(view, size, metrics))
        painter.drawText(label.box.left(), label.box.top() + metrics.ascent(), label.text);
}

// One polyline per run of points inside the frame: the pen is lifted outside it.
void drawTrack(QPainter& painter, const ChartView& view, QSize size,
               const kav::log::TrackPoints& points) {
    painter.setPen(QPen(kTrackBlue, kTrackPenWidth));
    const Frame frame = frameOf(view, size);
    std::vector<QPoint> run;
    run.reserve(std::min<std::size_t>(points.FRTaille(), 4096));
    auto flush = [&] {
        if (run.size() >= 2) painter.drawPolyline(run.data(), int(run.size()));
        run.clear();
    };
    const std::size_t n = std::min(points.FRLatitudes.size(), points.FRLongitudes.size());
    for (std::size_t i = 0; i < n; ++i) {
        const double lat = points.FRLatitudes[i];
        const double lon = points.FRLongitudes[i];
        if (!frame.contains(lon, lat)) {
            flush();
            continue;
        }
        const QPoint xy = GetXY(view, size, lon, lat);
        // Points on the same pixel as the one before add nothing to the line.
        if (run.empty() || run.back() != xy) run.push_back(xy);
    }
    flush();
}

// A take-off or landing mark: a filled circle with a black rim.
void drawMark(QPainter& painter, const ChartView& view, QSize size,
              const kav::log::TrackPoints& points, std::size_t i, const QColor& colour) {
    if (i >= points.FRTaille()) return;
    constexpr int kRadius = 6;
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(colour);
    painter.drawEllipse(GetXY(view, size, points.FRLongitudes[i], points.FRLatitudes[i]), kRadius,
                        kRadius);
    painter.setBrush(Qt::NoBrush);
}

// The route's legs (a triangle closed on its first turnpoint), a square on each turnpoint, and a
// triangle's closing gap dashed.
void drawRoute(QPainter& painter, const ChartView& view, QSize size, const ScoredRoute& route) {
    QPolygon legs;
    for (const LongLat& p : route.turnpoints) legs << GetXY(view, size, p.Long, p.lat);
    if (legs.isEmpty()) return;
    painter.setPen(QPen(kRouteMagenta, kTrackPenWidth));
    painter.setBrush(Qt::NoBrush);
    if (route.triangle)
        painter.drawPolygon(legs);
    else
        painter.drawPolyline(legs);
    constexpr int kHalf = 4;
    painter.setBrush(kRouteMagenta);
    for (const QPoint& p : legs)
        painter.drawRect(p.x() - kHalf, p.y() - kHalf, 2 * kHalf, 2 * kHalf);
    painter.setBrush(Qt::NoBrush);
    if (route.closing.size() == 2) {
        painter.setPen(QPen(kRouteMagenta, 1, Qt::DashLine));
        painter.drawLine(GetXY(view, size, route.closing[0].Long, route.closing[0].lat),
                         GetXY(view, size, route.closing[1].Long, route.closing[1].lat));
    }
}

}  // namespace

TrackPlot::TrackPlot(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TrackPlot::setTrack(const kav::log::TrackPoints& points) {
    points_ = points;
    flights_.clear();
    routes_.clear();
    view_ = fitView(points_, size(), view_);
    update();
}

void TrackPlot::setFlights(const std::vector<FlightSpan>& flights) {
    flights_ = flights;
    update();
}

void TrackPlot::setRoutes(const std::vector<ScoredRoute>& routes) {
    routes_ = routes;
    update();
}

void TrackPlot::clear() {
    points_ = {};
    flights_.clear();
    routes_.clear();
    update();
}

void TrackPlot::setView(const ChartView& view) {
    if (!(view.AEchX > 0) || !std::isfinite(view.AEchX)) return;
    view_ = view;
    update();
}

void TrackPlot::render(QImage& image) {
    if (image.isNull()) return;
    QPainter painter(&image);
    Affichage(painter, image.size());
}

void TrackPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Affichage(painter, size());
}

void TrackPlot::Affichage(QPainter& painter, QSize size) const {
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    drawGrid(painter, view_, size);
    drawTrack(painter, view_, size, points_);
    for (const ScoredRoute& route : routes_) drawRoute(painter, view_, size, route);
    for (const FlightSpan& f : flights_) {
        drawMark(painter, view_, size, points_, f.takeoff, Qt::green);
        drawMark(painter, view_, size, points_, f.landing, Qt::red);
    }
}

}  // namespace kav::browse
