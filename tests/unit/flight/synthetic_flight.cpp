#include "synthetic_flight.h"

#include <cmath>
#include <numbers>
#include <random>

namespace kav::flight::testing {

namespace {

constexpr double kMetresPerDegree = 111195;  // along a meridian, near enough for making data
constexpr double kStartTime = 46000.5;       // 12:00 UTC on a day of 2025

class Pilot {
  public:
    explicit Pilot(const FlightShape& shape)
        : shape_(shape), lat_(shape.lat), lon_(shape.lon), random_(shape.seed) {}

    void step(double headingDegrees, double metres) {
        const double h = headingDegrees * std::numbers::pi / 180;
        lat_ += metres * std::cos(h) / kMetresPerDegree;
        lon_ += metres * std::sin(h) / (kMetresPerDegree * std::cos(lat_ * std::numbers::pi / 180));
        record();
    }
    void circle() {
        for (int k = 0; k < 30; ++k) step(k * 12.0, 2 * std::numbers::pi * 50 / 30);
    }
    std::vector<FlightFix> take() { return std::move(fixes_); }

  private:
    void record() {
        std::normal_distribution<double> noise(0, shape_.noiseMetres);
        const double north = shape_.noiseMetres > 0 ? noise(random_) : 0;
        const double east = shape_.noiseMetres > 0 ? noise(random_) : 0;
        const double lat = lat_ + north / kMetresPerDegree;
        const double lon =
            lon_ + east / (kMetresPerDegree * std::cos(lat_ * std::numbers::pi / 180));
        height_ += fixes_.size() % 60 < 30 ? 1.5 : -1.0;
        fixes_.push_back({kStartTime + double(fixes_.size()) / 86400, lat, lon, height_});
    }

    FlightShape shape_;
    double lat_, lon_, height_ = 1500;
    std::mt19937 random_;
    std::vector<FlightFix> fixes_;
};

}  // namespace

std::vector<FlightFix> flyCourses(std::span<const Course> courses, const FlightShape& shape) {
    Pilot pilot(shape);
    pilot.step(0, 0);
    double sinceThermal = 0;
    for (const Course& c : courses) {
        const auto steps = std::size_t(std::lround(c.km * 1000 / shape.metresPerFix));
        for (std::size_t i = 0; i < steps; ++i) {
            pilot.step(c.heading, c.km * 1000 / double(steps));
            sinceThermal += c.km / double(steps);
            if (shape.thermalEveryKm > 0 && sinceThermal >= shape.thermalEveryKm) {
                pilot.circle();
                sinceThermal = 0;
            }
        }
    }
    return pilot.take();
}

std::vector<FlightFix> thermalLoop(std::size_t n, unsigned seed) {
    // A fix every 10 m and a 30-fix thermal every 2 km: 115 fixes a km.
    const double side = double(n) / 115 / 2.95;
    const Course courses[] = {{10, side}, {140, side}, {255, side * 0.95}};
    FlightShape shape;
    shape.noiseMetres = 3;
    shape.thermalEveryKm = 2;
    shape.seed = seed;
    return flyCourses(courses, shape);
}

std::vector<FlightFix> straightFlight(std::size_t n, double noiseMetres) {
    const Course course[] = {{60, double(n) * 0.01}};
    FlightShape shape;
    shape.noiseMetres = noiseMetres;
    return flyCourses(course, shape);
}

}  // namespace kav::flight::testing
