#pragma once
// Converti: text forms of positions and times for the export files and the plot labels,
// and the great-circle course between two positions.

#include <cstdint>

#include <QDateTime>
#include <QString>

namespace kav::exporting {

// Latitude in degrees as DDMMmmm plus N or S (8 characters).
QString NumToLatVMU(double Value);
// Longitude in degrees as DDDMMmmm plus E or W (9 characters).
QString NumToLongVMU(double Value);

// Seconds of day as HHMMSS; whole days are dropped (86400 reads as 000000).
QString SecToHms(int32_t Value);
// Seconds of day as HH:MM:SS.
QString SecToHms2(int32_t Value);

// The same four texts as ASCII bytes written at out, for the files' bulk; each returns the end.
// A position takes at most kPositionMaxBytes (9 for any real one), a time 6 or 8 bytes.
inline constexpr int kPositionMaxBytes = 330;
char* NumToLatVMU(char* out, double Value);
char* NumToLongVMU(char* out, double Value);
char* SecToHms(char* out, int32_t Value);
char* SecToHms2(char* out, int32_t Value);

// Date part of DateTime and the time Sec as yyyy-mm-ddTHH:MM:SSZ; no time-zone arithmetic.
QString SecToIso8601(const QDateTime& DateTime, int32_t Sec);
QString SecToIso8601(const QDate& Date, int32_t Sec);
// The same as ASCII bytes at out (at most kIso8601MaxBytes, 20 for years 0 to 9999).
inline constexpr int kIso8601MaxBytes = 32;
char* SecToIso8601(char* out, const QDate& Date, int32_t Sec);
// Whole seconds since midnight of the time of day of Value (milliseconds dropped).
int32_t TimeToSec(const QDateTime& Value);

// Arc cosine whose argument is clamped to [-1, 1].
double SuperArcCos(double value);
double DegToRad(double value);
double RadToDeg(double value);
// Initial great-circle course from point 1 to point 2, radians in [0, 2 pi); 0 if they coincide.
double RadCoordToRte(double lat1, double long1, double lat2, double long2);

// The number text with its first comma made a point.
QString ConvertTextPoint(const QString& value);

// Plot labels in the user's number format: "N45° 15'", "E5° 00'", or "   45'" for longitudes.
QString LatToStr(double Coord);
QString LongToStr(double Coord);

}  // namespace kav::exporting
