#pragma once
// The barogram under the chart: the marked track's height over time, its flights shaded.

#include <cstddef>
#include <vector>

#include <QWidget>

#include "log/track_points.h"

namespace kav::browse {

// A flight as indices into a track's points: take-off and landing, both included.
struct FlightSpan {
    std::size_t takeoff = 0;
    std::size_t landing = 0;
};

class Barogram : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHeight = 110;

    explicit Barogram(QWidget* parent = nullptr);

    // The heights and times of points, and the flights to shade.
    void setTrack(const kav::log::TrackPoints& points, const std::vector<FlightSpan>& flights);
    void clear();
    const std::vector<FlightSpan>& flights() const { return flights_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<double> seconds_;  // since the first point
    std::vector<double> metres_;
    std::vector<FlightSpan> flights_;
};

}  // namespace kav::browse
