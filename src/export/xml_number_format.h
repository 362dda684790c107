#pragma once
// Number texts of the KML and GPX files.

#include <cstdint>

#include <QString>

namespace kav::exporting {

// Room enough for any text writeFiveDecimals gives, the largest double included.
inline constexpr int kFiveDecimalsMaxBytes = 330;

// Degrees in fixed notation with exactly 5 decimals and a decimal point, whatever the user's
// number format: ASCII digits, a leading '-' for negative values (not for -0), no separators.
// Writes at out and returns the end; halves of the last decimal round away from zero.
char* writeFiveDecimals(char* out, double value);
QString fiveDecimals(double value);

// Height in 0.303 m units as whole metres, rounded half to even.
int64_t altitudeInMetres(int32_t xAlti);

}  // namespace kav::exporting
