#pragma once
// Where the chart writes the labels of its grid lines, so that each one is whole and legible.

#include <vector>

#include <QFontMetrics>
#include <QRect>
#include <QSize>
#include <QString>

#include "browse/chart_view.h"

namespace kav::browse {

struct GridLabel {
    QRect box;  // where the text is drawn, top-left corner first
    QString text;
};

// The labels of the grid lines of a chart of this size: longitudes along the top edge, about
// their line; latitudes at the left edge, just above their line. Every box lies inside the
// chart (a label near an edge is moved in), and a label that would cover one already placed is
// left out, so that none are written over each other.
std::vector<GridLabel> gridLabels(const ChartView& view, QSize size, const QFontMetrics& metrics);

}  // namespace kav::browse
