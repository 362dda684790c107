#include "browse/grid_labels.h"

#include <algorithm>

#include "export/converti.h"

namespace kav::browse {
namespace {

constexpr int kMargin = 2;
// The label's offsets from its line, as the chart has always placed them.
constexpr int kLongitudeLabelLeft = 30;
constexpr int kLatitudeLabelAbove = 16;

// A box of the text's size with its top-left corner moved as little as needed to lie inside.
QRect placed(int left, int top, const QString& text, QSize size, const QFontMetrics& metrics) {
    const int w = metrics.horizontalAdvance(text);
    const int h = metrics.height();
    left = std::clamp(left, kMargin, std::max(kMargin, size.width() - kMargin - w));
    top = std::clamp(top, kMargin, std::max(kMargin, size.height() - kMargin - h));
    return {left, top, w, h};
}

// Adds the label unless it would cover one already placed.
void addLabel(std::vector<GridLabel>& labels, const QRect& box, const QString& text) {
    const bool covers = std::any_of(labels.begin(), labels.end(),
                                    [&box](const GridLabel& l) { return l.box.intersects(box); });
    if (!covers) labels.push_back({box, text});
}

}  // namespace

std::vector<GridLabel> gridLabels(const ChartView& view, QSize size, const QFontMetrics& metrics) {
    std::vector<GridLabel> labels;
    for (double lon : longitudeLines(view, size)) {
        const QString text = kav::exporting::LongToStr(lon);
        const int x = GetXY(view, size, lon, view.LatCentre).x();
        addLabel(labels, placed(x - kLongitudeLabelLeft, kMargin, text, size, metrics), text);
    }
    // Latitude labels stay below the band of longitude labels.
    const int top = kMargin + metrics.height() + kMargin;
    for (double lat : latitudeLines(view, size)) {
        const QString text = kav::exporting::LatToStr(lat);
        const int y = GetXY(view, size, view.LongCentre, lat).y();
        const QRect box =
            placed(kMargin, std::max(top, y - kLatitudeLabelAbove), text, size, metrics);
        addLabel(labels, box, text);
    }
    return labels;
}

}  // namespace kav::browse
