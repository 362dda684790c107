#pragma once
// The chart: white background, green quarter-degree grid with labels, the track as a blue line,
// its flights' scored routes in magenta.

#include <QImage>
#include <QWidget>

#include "browse/barogram.h"
#include "browse/chart_view.h"
#include "browse/scored_route.h"
#include "log/track_points.h"

class QPainter;

namespace kav::browse {

class TrackPlot : public QWidget {
    Q_OBJECT
  public:
    explicit TrackPlot(QWidget* parent = nullptr);

    // DisplayTrack: stores the points (the whole track, last fix included) and fits centre and
    // scale to the widget's current size. An empty track keeps the previous centre and scale.
    void setTrack(const kav::log::TrackPoints& points);
    // InitTableau(0): empties the points, keeps centre and scale.
    void clear();
    const kav::log::TrackPoints& points() const { return points_; }
    // The flights of the track, marked at take-off (green) and landing (red).
    void setFlights(const std::vector<FlightSpan>& flights);
    const std::vector<FlightSpan>& flights() const { return flights_; }
    // The scored routes of the track's flights, drawn over it.
    void setRoutes(const std::vector<ScoredRoute>& routes);
    const std::vector<ScoredRoute>& routes() const { return routes_; }

    const ChartView& view() const { return view_; }
    void setView(const ChartView& view);

    // Affichage into an image of any size; the paint event draws the same at the widget's size.
    void render(QImage& image);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Affichage(QPainter& painter, QSize size) const;

    kav::log::TrackPoints points_;
    std::vector<FlightSpan> flights_;
    std::vector<ScoredRoute> routes_;
    ChartView view_;
};

}  // namespace kav::browse
