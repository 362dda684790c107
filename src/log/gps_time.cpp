#include "log/gps_time.h"

#include <cmath>

namespace kav::log {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kDaysPerWeek = 7;
// 6 January 1980, the start of GPS week 0, as days since 30 December 1899.
constexpr int64_t kGpsEpochDays = 29226;

QDateTime dateTimeOrigin() {
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
}

}  // namespace

DateTime GpsTime2Datetime(uint32_t WN, uint32_t TOW) {
    const long double dayOfWeek =
        static_cast<long double>(int64_t(TOW) - kGpsUtcOffsetSeconds) / kSecondsPerDay;
    const long double whole = std::trunc(dayOfWeek);
    const int64_t days = int64_t(whole) + int64_t(WN) * kDaysPerWeek;
    return DateTime(static_cast<long double>(kGpsEpochDays + days) + (dayOfWeek - whole));
}

int64_t gpsUtcSeconds(uint32_t WN, uint32_t TOW) {
    return (kGpsEpochDays + int64_t(WN) * kDaysPerWeek) * kSecondsPerDay + int64_t(TOW) -
           kGpsUtcOffsetSeconds;
}

int32_t utcSecondsOfDay(uint32_t WN, uint32_t TOW) {
    return int32_t(gpsUtcSeconds(WN, TOW) % kSecondsPerDay);
}

int64_t wholeSeconds(DateTime dt) {
    return int64_t(std::rint(static_cast<long double>(dt) * kSecondsPerDay));
}

int32_t secondsOfDay(DateTime dt) {
    // Through whole seconds, so a value a hair below midnight gives 0, never 86400.
    const int64_t s = wholeSeconds(dt) % kSecondsPerDay;
    return int32_t(s < 0 ? s + kSecondsPerDay : s);
}

QDateTime toQDateTime(DateTime dt) {
    return dateTimeOrigin().addSecs(wholeSeconds(dt));
}

DateTime fromQDateTime(const QDateTime& t) {
    return DateTime(static_cast<long double>(dateTimeOrigin().msecsTo(t)) /
                    (kSecondsPerDay * 1000));
}

}  // namespace kav::log
