#pragma once
// GPS week and time of week to UTC date-times (fixed 18 s GPS-UTC offset).

#include <cstdint>

#include <QDateTime>

#include "fix_types.h"

namespace kav::log {

constexpr int kGpsUtcOffsetSeconds = 18;

// UTC date-time (days since 30 Dec 1899) of GPS week WN and time of week TOW.
// Every TOW, 0 included, is shifted by the offset; a TOW past the week runs on into the next.
DateTime GpsTime2Datetime(uint32_t WN, uint32_t TOW);

// The same instant as exact whole seconds since 30 Dec 1899 00:00 UTC (for track cutting).
int64_t gpsUtcSeconds(uint32_t WN, uint32_t TOW);

// Seconds of the UTC day of GPS week WN and time of week TOW, computed exactly (0..86399).
int32_t utcSecondsOfDay(uint32_t WN, uint32_t TOW);

// Seconds of the UTC day of a date-time, rounded to the nearest second (0..86399).
int32_t secondsOfDay(DateTime dt);

// Whole seconds since 30 Dec 1899 00:00 of a date-time, rounded: exact for comparisons.
int64_t wholeSeconds(DateTime dt);

// The date-time as a QDateTime in UTC, to the second.
QDateTime toQDateTime(DateTime dt);

// A QDateTime as a date-time value (days since 30 Dec 1899, UTC).
DateTime fromQDateTime(const QDateTime& t);

}  // namespace kav::log
