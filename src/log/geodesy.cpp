#include "log/geodesy.h"

#include <cmath>
#include <limits>

#include "log/gps_time.h"

namespace kav::log {

namespace {

constexpr long double WGS84_a = 6378137.0L;
constexpr long double WGS84_f = 0.003352810664747481L;
constexpr long double kPi = 3.141592653589793238462643383279502884L;
constexpr long double kAltitudeUnit = 0.303L;
constexpr long double kKmhPerKnot = 1.852L;
constexpr long double kSpeedLimit = 9999.0L;

// Longitude in radians; on the X = 0 meridian plane only the sign of Y counts.
long double longitudeRadians(long double X, long double Y) {
    if (X != 0) return std::atan(Y / X);
    return Y > 0 ? kPi / 2 : -kPi / 2;
}

// Brings the arctangent's half-circle result to (-180, 180] for points with X < 0.
double fixedLongitude(double degrees, bool negativeX) {
    if (negativeX) degrees += 180.0;
    if (degrees > 180.0) degrees -= 360.0;
    return degrees;
}

}  // namespace

int32_t altitudeUnits(long double heightMetres) {
    // rint in the default rounding mode: halves to even, like nearbyint but far cheaper.
    const long double units = std::rint(heightMetres / kAltitudeUnit);
    constexpr long double lo = std::numeric_limits<int32_t>::min();
    constexpr long double hi = std::numeric_limits<int32_t>::max();
    if (!(units >= lo)) return std::numeric_limits<int32_t>::min();
    if (units > hi) return std::numeric_limits<int32_t>::max();
    return int32_t(units);
}

void ECEF_XYZh(TDataECEF dECEF, TDataGAC& dGAC) {
    const long double X = dECEF.ECEF_X, Y = dECEF.ECEF_Y, Z = dECEF.ECEF_Z;
    if (X == 0 && Y == 0) {
        dGAC.xLat = 0;
        dGAC.xLong = 0;
        dGAC.xAlti = 0;
        dGAC.xHeight = 0;
        return;
    }
    const long double a = WGS84_a;
    const long double b = (1 - WGS84_f) * a;
    const long double e2 = (a * a - b * b) / (a * a);
    const long double e2p = (a * a - b * b) / (b * b);

    // Bowring's single step; sines and cosines come from the tangents, |angle| < pi/2.
    const long double p = std::sqrt(X * X + Y * Y);
    const long double tanT = Z * a / (p * b);
    const long double cosT = 1 / std::sqrt(1 + tanT * tanT), sinT = tanT * cosT;
    const long double tanP = (Z + e2p * b * sinT * sinT * sinT) / (p - e2 * a * cosT * cosT * cosT);
    const long double phi = std::atan(tanP);
    const long double secP = std::sqrt(1 + tanP * tanP);
    const long double sinP = std::isinf(tanP) ? std::copysign(1.0L, tanP) : tanP / secP;
    const long double N = a / std::sqrt(1 - e2 * sinP * sinP);
    const long double h = p * secP - N;

    dGAC.xAlti = altitudeUnits(h);
    dGAC.xHeight = double(h);
    dGAC.xLat = double(phi * 180 / kPi);
    dGAC.xLong = fixedLongitude(double(longitudeRadians(X, Y) * 180 / kPi), X < 0);
}

void Ecef2Gac(TDataECEF DataCompressed, TDataGAC& dGAC) {
    dGAC.xSeconde = utcSecondsOfDay(DataCompressed.WeekNumber, DataCompressed.TimeOfWeek);
    ECEF_XYZh(DataCompressed, dGAC);
    if (dGAC.xLat == 0 && dGAC.xLong == 0 && dGAC.xAlti == 0) {
        dGAC.xSpeed = 0;
        dGAC.xTrack = 0;
        return;
    }
    const long double s = DataCompressed.Velocity / kKmhPerKnot * 10;
    dGAC.xSpeed = s > kSpeedLimit ? 0 : uint16_t(std::rint(s));
}

}  // namespace kav::log
