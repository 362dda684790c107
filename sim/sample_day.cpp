#include "sample_day.h"

#include <cmath>
#include <numbers>

#include "emulator.h"
#include "image_encoder.h"

namespace kav::sim {
namespace {

constexpr uint16_t kWeek = 2209;
constexpr double kEarthRadius = 6371000.0;
constexpr double kDegree = std::numbers::pi / 180.0;

// Flies a path second by second and records one fix per step.
class FlightBuilder {
  public:
    FlightBuilder(std::vector<log::TDataECEF>& out, uint32_t tow, double lat, double lon, double h)
        : out_(out), tow_(tow), lat_(lat), lon_(lon), h_(h) {}

    void stand(int seconds) {
        for (int i = 0; i < seconds; ++i)
            move(0.6 * std::sin(i * 0.7), 0.6 * std::cos(i * 1.3), 0, false);
    }
    void glide(int seconds, double headingDeg, double speed, double sink) {
        const double e = speed * std::sin(headingDeg * kDegree);
        const double n = speed * std::cos(headingDeg * kDegree);
        for (int i = 0; i < seconds; ++i) move(e, n, -sink);
    }
    // Circles of 40 m radius drifting with a light wind.
    void thermal(int seconds, double climb, double driftEast, double driftNorth) {
        constexpr double speed = 9.0, radius = 40.0;
        for (int i = 0; i < seconds; ++i) {
            angle_ += speed / radius;
            move(speed * std::cos(angle_) + driftEast, speed * std::sin(angle_) + driftNorth,
                 climb);
        }
    }
    // No fix for a while; the next move covers the whole interval.
    void pause(int seconds) { pending_ += uint32_t(seconds); }

  private:
    // Metres per second, covered over the whole interval unless the pilot stands still.
    void move(double east, double north, double up, bool overInterval = true) {
        const uint32_t dt = 1 + pending_;
        pending_ = 0;
        tow_ += dt;
        if (overInterval) east *= dt, north *= dt, up *= dt;
        lat_ += north / kEarthRadius / kDegree;
        lon_ += east / (kEarthRadius * std::cos(lat_ * kDegree)) / kDegree;
        h_ += up;
        record(std::hypot(east, north) / dt * 3.6);
    }
    void record(double kmh) {
        const Ecef p = geodeticToEcef(lat_, lon_, h_);
        out_.push_back({kWeek, tow_, std::llround(p.x), std::llround(p.y), std::llround(p.z),
                        uint16_t(std::lround(kmh))});
    }

    std::vector<log::TDataECEF>& out_;
    uint32_t tow_;
    double lat_, lon_, h_;
    double angle_ = 0;
    uint32_t pending_ = 0;
};

constexpr uint32_t kDay = 86400;

void alpineMorning(std::vector<log::TDataECEF>& fixes) {
    // 09:00:10 GPS on Monday; 10 mod 16 puts A0 A1 into the first record.
    FlightBuilder f(fixes, kDay + 9 * 3600 + 10 - 1, 45.8128, 6.2455, 1300);
    f.stand(60);
    f.pause(3338 - 1);  // time step 0x0D0A in a compact record
    f.stand(30);
    f.glide(60, 270, 9, 1.0);
    f.thermal(600, 1.8, 1.5, 0.5);
    f.glide(900, 160, 10, 1.1);
    f.thermal(700, 1.8, 1.5, 0.5);
    f.glide(600, 20, 11, 1.2);
    f.pause(19);  // a drop-out of 20 s, which does not cut the track
    f.glide(60, 20, 11, 1.2);
    f.thermal(500, 1.5, 2.0, 0.0);
    f.glide(1200, 250, 10, 1.3);
    f.thermal(300, -1.8, 0.0, 0.0);
    f.glide(60, 200, 8, 0.3);
    f.stand(30);
}

void alpineHop(std::vector<log::TDataECEF>& fixes) {
    FlightBuilder f(fixes, kDay + 14 * 3600, 45.8606, 6.1880, 1250);
    f.stand(20);
    f.glide(200, 240, 9, 2.5);
    f.stand(20);
}

void tahitiEvening(std::vector<log::TDataECEF>& fixes) {
    // Tuesday 23:30:00 UTC; midnight UTC comes 30 minutes in.
    FlightBuilder f(fixes, 2 * kDay + 23 * 3600 + 1800 + 18, -17.5539, -149.5610, 650);
    f.stand(30);
    f.glide(60, 90, 9, 1.0);
    f.thermal(800, 1.0, -1.0, 1.0);
    f.glide(900, 200, 9, 0.6);
    f.thermal(600, 1.2, -1.0, 1.0);
    f.glide(800, 300, 10, 1.6);
    f.stand(30);
}

}  // namespace

std::vector<log::TDataECEF> sampleFixes() {
    std::vector<log::TDataECEF> fixes;
    alpineMorning(fixes);
    alpineHop(fixes);
    tahitiEvening(fixes);
    return fixes;
}

QByteArray sampleImage() {
    const std::vector<log::TDataECEF> fixes = sampleFixes();
    return encodeFixes(fixes);
}

}  // namespace kav::sim
