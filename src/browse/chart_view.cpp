#include "browse/chart_view.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace kav::browse {
namespace {

// A grid of more lines than this is no longer a grid; it would only stall the drawing.
constexpr double kMaxGridLines = 4096;
// cos(latitude) is kept above this so that a polar centre never divides by zero.
constexpr double kMinCos = 1e-9;

double cosOf(double latDegrees) {
    const double c = std::cos(latDegrees * std::numbers::pi / 180.0);
    return std::isfinite(c) ? std::max(c, kMinCos) : 1.0;
}

// Rounds half to even and clamps into the int range.
int toPixel(double v) {
    if (!std::isfinite(v)) return v > 0 ? std::numeric_limits<int>::max() : 0;
    const double r = std::nearbyint(v);
    return int(std::clamp(r, double(std::numeric_limits<int>::min()),
                          double(std::numeric_limits<int>::max())));
}

// Every quarter degree from low to high, both included; empty when there would be absurdly
// many (a degenerate scale).
std::vector<double> quarterDegreesWithin(double low, double high) {
    const double from = std::ceil(low * 4);
    const double to = std::floor(high * 4);
    std::vector<double> lines;
    if (!(to - from <= kMaxGridLines)) return lines;
    for (double i = from; i <= to; ++i) lines.push_back(i / 4);
    return lines;
}

double width(QSize s) {
    return std::max(s.width(), 1);
}
double height(QSize s) {
    return std::max(s.height(), 1);
}

}  // namespace

QPoint GetXY(const ChartView& view, QSize size, double Long, double lat) {
    const double c = cosOf(view.LatCentre);
    return {toPixel(size.width() / 2.0 + c * (Long - view.LongCentre) / view.AEchX),
            toPixel(size.height() / 2.0 + (view.LatCentre - lat) / view.AEchX)};
}

LongLat GetLongLat(const ChartView& view, QSize size, int X, int Y) {
    const double c = cosOf(view.LatCentre);
    return {view.LongCentre - (size.width() / 2.0 - X) * view.AEchX / c,
            (size.height() / 2.0 - Y) * view.AEchX + view.LatCentre};
}

ChartView fitView(const kav::log::TrackPoints& points, QSize size, const ChartView& previous) {
    if (points.empty()) return previous;
    const double W = width(size);
    const double H = height(size);
    const double c = cosOf(points.LatRef);
    const double longSpan = c * std::abs(points.LongMax - points.LongMin);
    const double latSpan = std::abs(points.LatMax - points.LatMin);
    ChartView view{points.LatRef, points.LongRef, 0};
    if (longSpan / W >= latSpan / H)
        view.AEchX = (longSpan + 0.01) / W;
    else
        view.AEchX = ((W / H) * latSpan + 0.01) / W;
    if (!std::isfinite(view.AEchX) || !std::isfinite(view.LatCentre) ||
        !std::isfinite(view.LongCentre))
        return previous;
    return view;
}

std::vector<double> latitudeLines(const ChartView& view, QSize size) {
    const double ltMax = GetLongLat(view, size, 0, 0).lat;
    const double ltMin = GetLongLat(view, size, size.width(), size.height()).lat;
    return quarterDegreesWithin(ltMin, ltMax);
}

std::vector<double> longitudeLines(const ChartView& view, QSize size) {
    const double lgMin = GetLongLat(view, size, 0, 0).Long;
    const double lgMax = GetLongLat(view, size, size.width(), size.height()).Long;
    return quarterDegreesWithin(lgMin, lgMax);
}

}  // namespace kav::browse
