#pragma once
// Writes a day of fixes, one a second, from what the pilot does: stand, walk, ride, glide,
// circle in lift. Positions move on a sphere; each fix records the speed over its interval.

#include <cstdint>
#include <vector>

#include "log/fix_types.h"

namespace kav::sim {

class DayBuilder {
  public:
    // Starts at GPS week and time of week tow, at a WGS84 position and height (metres).
    DayBuilder(std::vector<log::TDataECEF>& out, uint16_t week, uint32_t tow, double lat,
               double lon, double h);

    // Standing still: positions wander within about a metre.
    void stand(int seconds);
    // Standing still with the GPS error wandering slowly by up to wander metres, and every
    // jumpEvery seconds (0: never) a single fix thrown 100 m off.
    void rest(int seconds, double wander, int jumpEvery);
    // Straight at speed (m/s) on a heading (degrees), sinking (m/s; negative climbs).
    void glide(int seconds, double headingDeg, double speed, double sink);
    // Circles of 40 m radius drifting with a wind (m/s east and north), climbing at climb.
    void thermal(int seconds, double climb, double driftEast, double driftNorth);
    // No fix for a while; the next move covers the whole interval.
    void pause(int seconds) { pending_ += uint32_t(seconds); }

  private:
    void move(double east, double north, double up, bool overInterval = true);
    void record(double lat, double lon, double h, double kmh);

    std::vector<log::TDataECEF>& out_;
    uint16_t week_;
    uint32_t tow_;
    double lat_, lon_, h_;
    double angle_ = 0;
    uint32_t pending_ = 0;
};

}  // namespace kav::sim
