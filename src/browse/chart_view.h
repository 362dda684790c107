#pragma once
// The chart's equirectangular projection: centre, scale, fitting and the quarter-degree grid.

#include <QPoint>
#include <QSize>
#include <vector>

#include "log/track_points.h"

namespace kav::browse {

// The point at the chart's centre and the scale in degrees of latitude per pixel.
struct ChartView {
    double LatCentre = 49.6508;
    double LongCentre = 1.4753;
    double AEchX = 0.001;
};

struct LongLat {
    double Long = 0;
    double lat = 0;
};

// Pixel of a position on a chart of the given size, rounded half to even.
QPoint GetXY(const ChartView& view, QSize size, double Long, double lat);
// Position of a pixel: the inverse of GetXY before rounding.
LongLat GetLongLat(const ChartView& view, QSize size, int X, int Y);

// DisplayTrack's fit: centre on the midpoints of the widened bounds and scale so the track
// fills the width or the height, plus a 0.01 degree margin. An empty track keeps the view.
ChartView fitView(const kav::log::TrackPoints& points, QSize size, const ChartView& previous);

// The positions of the grid lines for a chart of this size: every quarter degree of latitude
// and of longitude inside the frame. A family that would need an absurd number of lines (a
// degenerate scale) is left empty.
std::vector<double> latitudeLines(const ChartView& view, QSize size);
std::vector<double> longitudeLines(const ChartView& view, QSize size);

}  // namespace kav::browse
