#include "browse/barogram.h"

#include <algorithm>

#include <QPainter>
#include <QPainterPath>

namespace kav::browse {

namespace {

constexpr double kMetresPerUnit = 0.303;
constexpr double kSecondsPerDay = 86400;
constexpr int kMargin = 4;
constexpr int kLabelWidth = 56;
const QColor kFlightShade(200, 225, 255);
const QColor kLine(0, 0, 160);

}  // namespace

Barogram::Barogram(QWidget* parent) : QWidget(parent) {
    setFixedHeight(kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Barogram::setTrack(const kav::log::TrackPoints& points,
                        const std::vector<FlightSpan>& flights) {
    clear();
    const std::size_t n = std::min(points.FRAltitudes.size(), points.FRDateTimes.size());
    for (std::size_t i = 0; i < n; ++i) {
        seconds_.push_back((points.FRDateTimes[i] - points.FRDateTimes[0]) * kSecondsPerDay);
        metres_.push_back(points.FRAltitudes[i] * kMetresPerUnit);
    }
    for (const FlightSpan& f : flights)
        if (f.takeoff <= f.landing && f.landing < n) flights_.push_back(f);
    update();
}

void Barogram::clear() {
    seconds_.clear();
    metres_.clear();
    flights_.clear();
    update();
}

void Barogram::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (seconds_.size() < 2 || seconds_.back() <= 0) return;
    const auto range = std::minmax_element(metres_.begin(), metres_.end());
    const double low = *range.first;
    const double span = std::max(*range.second - low, 1.0);
    const QRectF plot(kLabelWidth, kMargin, width() - kLabelWidth - kMargin,
                      height() - 2 * kMargin);
    const auto x = [&](std::size_t i) {
        return plot.left() + plot.width() * seconds_[i] / seconds_.back();
    };
    const auto y = [&](std::size_t i) {
        return plot.bottom() - plot.height() * (metres_[i] - low) / span;
    };
    for (const FlightSpan& f : flights_)
        painter.fillRect(
            QRectF(QPointF(x(f.takeoff), plot.top()), QPointF(x(f.landing), plot.bottom())),
            kFlightShade);
    QPainterPath line(QPointF(x(0), y(0)));
    for (std::size_t i = 1; i < seconds_.size(); ++i) line.lineTo(x(i), y(i));
    painter.setPen(QPen(kLine, 1));
    painter.drawPath(line);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, plot.top(), kLabelWidth - kMargin, 16), Qt::AlignRight,
                     QStringLiteral("%1 m").arg(qRound(*range.second)));
    painter.drawText(QRectF(0, plot.bottom() - 16, kLabelWidth - kMargin, 16), Qt::AlignRight,
                     QStringLiteral("%1 m").arg(qRound(low)));
}

}  // namespace kav::browse
