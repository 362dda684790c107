#pragma once
// Plain value records shared by decoding, browsing and export.

#include <cstdint>
#include <vector>

namespace kav::log {

// One decoded fix as the logger stored it: GPS week and time of week, ECEF metres, km/h.
struct TDataECEF {
    uint16_t WeekNumber = 0;
    uint32_t TimeOfWeek = 0;
    int64_t ECEF_X = 0;
    int64_t ECEF_Y = 0;
    int64_t ECEF_Z = 0;
    uint16_t Velocity = 0;
    friend bool operator==(const TDataECEF&, const TDataECEF&) = default;
};

// The whole decoded log in memory order; a fix's index is its identity.
using LogData = std::vector<TDataECEF>;

// One geodetic track point: seconds of the UTC day, WGS84 degrees, height in 0.303 m units,
// speed in tenths of a knot, course in whole degrees (filled by the GAC writer only), and the
// height in metres as computed, for the formats that keep metres.
struct TDataGAC {
    int32_t xSeconde = 0;
    double xLat = 0.0;
    double xLong = 0.0;
    int32_t xAlti = 0;
    uint16_t xSpeed = 0;
    uint16_t xTrack = 0;
    double xHeight = 0.0;  // height above the ellipsoid in metres, before the 0.303 m units
};

// Date-times are days since 30 December 1899 00:00 UTC; the fraction is the time of day.
using DateTime = double;

}  // namespace kav::log
