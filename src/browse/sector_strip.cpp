#include "browse/sector_strip.h"

#include <algorithm>

#include <QPainter>
#include <QResizeEvent>

namespace kav::browse {
namespace {

const QColor kSilver(192, 192, 192);
const QColor kRed(255, 0, 0);

}  // namespace

SectorStrip::SectorStrip(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(false);
    CloneShape();
}

void SectorStrip::setUsedSectors(int count) {
    // The strip maps the logger in hand: blocks beyond its used sectors turn silver again.
    used_.fill(false);
    std::fill_n(used_.begin(), std::clamp(count, 0, kSectorBlocks), true);
    update();
}

void SectorStrip::resetColours() {
    used_.fill(false);
    update();
}

QColor SectorStrip::blockColour(int i) const {
    if (i < 0 || i >= kSectorBlocks) return {};
    return used_[std::size_t(i)] ? kRed : kSilver;
}

void SectorStrip::CloneShape() {
    layout_ = stripLayout(width());
    if (height() != layout_.height) setFixedHeight(layout_.height);
    update();
}

void SectorStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (event->size().width() != event->oldSize().width() || height() != layout_.height)
        CloneShape();
}

void SectorStrip::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    painter.setPen(Qt::black);
    for (int i = 0; i < kSectorBlocks; ++i) {
        const QRect r = blockRect(layout_, i);
        if (!r.intersects(event->rect())) continue;
        painter.setBrush(blockColour(i));
        // A 1-px outline inside the 7x7 square, as a filled shape with its default pen.
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
}

}  // namespace kav::browse
