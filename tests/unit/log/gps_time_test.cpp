#include <gtest/gtest.h>

#include "log/gps_time.h"

using namespace kav::log;

namespace {

QDateTime utc(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

struct TimeCase {
    uint32_t week;
    uint32_t tow;
    QDateTime expected;
};

class GpsTimes : public ::testing::TestWithParam<TimeCase> {};

// Week 2050 starts on Sunday 21 April 2019, 00:00:00 GPS time.
TEST_P(GpsTimes, ConvertsToUtcWithTheFixedOffset) {
    const TimeCase& c = GetParam();
    const DateTime dt = GpsTime2Datetime(c.week, c.tow);
    EXPECT_EQ(toQDateTime(dt), c.expected);
    EXPECT_EQ(secondsOfDay(dt), c.expected.time().msecsSinceStartOfDay() / 1000);
    EXPECT_EQ(wholeSeconds(dt), gpsUtcSeconds(c.week, c.tow));
    // The value is the instant itself, not just close to it.
    EXPECT_NEAR(dt * 86400.0, double(gpsUtcSeconds(c.week, c.tow)), 1e-4);
}

INSTANTIATE_TEST_SUITE_P(Cases, GpsTimes,
                         ::testing::Values(TimeCase{2050, 345623, utc(2019, 4, 25, 0, 0, 5)},
                                           TimeCase{2050, 0, utc(2019, 4, 20, 23, 59, 42)},
                                           TimeCase{2050, 1, utc(2019, 4, 20, 23, 59, 43)},
                                           TimeCase{2050, 17, utc(2019, 4, 20, 23, 59, 59)},
                                           TimeCase{2050, 18, utc(2019, 4, 21, 0, 0, 0)},
                                           TimeCase{2050, 86417, utc(2019, 4, 21, 23, 59, 59)},
                                           TimeCase{2050, 86418, utc(2019, 4, 22, 0, 0, 0)},
                                           TimeCase{2050, 604799, utc(2019, 4, 27, 23, 59, 41)},
                                           TimeCase{2050, 604805, utc(2019, 4, 27, 23, 59, 47)},
                                           TimeCase{2051, 5, utc(2019, 4, 27, 23, 59, 47)},
                                           TimeCase{2048, 18, utc(2019, 4, 7, 0, 0, 0)},
                                           TimeCase{3071, 604799, utc(2038, 11, 20, 23, 59, 41)},
                                           TimeCase{2050, 1048575, utc(2019, 5, 3, 3, 15, 57)}));

TEST(GpsTime, TowZeroIsShiftedLikeEveryOther) {
    EXPECT_NE(GpsTime2Datetime(2050, 0), GpsTime2Datetime(2050, 18));
    EXPECT_EQ(gpsUtcSeconds(2050, 18) - gpsUtcSeconds(2050, 0), 18);
    EXPECT_EQ(gpsUtcSeconds(2051, 0), gpsUtcSeconds(2050, 604800));
}

TEST(GpsTime, EverySecondOfADayMapsToItsOwnSecond) {
    for (uint32_t tow = 0; tow < 2 * 86400; tow += 7) {
        const DateTime dt = GpsTime2Datetime(2060, tow);
        ASSERT_EQ(wholeSeconds(dt), gpsUtcSeconds(2060, tow)) << tow;
        ASSERT_EQ(secondsOfDay(dt), int32_t((int64_t(tow) - 18 + 86400) % 86400)) << tow;
        ASSERT_EQ(utcSecondsOfDay(2060, tow), secondsOfDay(dt)) << tow;
    }
}

TEST(GpsTime, SecondsOfDayNeverReachesMidnightOfTheNextDay) {
    EXPECT_EQ(secondsOfDay(43580.0 - 1e-9), 0);
    EXPECT_EQ(secondsOfDay(43580.5), 43200);
}

TEST(GpsTime, QDateTimeRoundTrip) {
    const QDateTime t = utc(2019, 4, 25, 0, 0, 5);
    EXPECT_EQ(toQDateTime(fromQDateTime(t)), t);
    EXPECT_DOUBLE_EQ(fromQDateTime(utc(1899, 12, 31, 12, 0, 0)), 1.5);
    const QDateTime local = t.toOffsetFromUtc(7200);
    EXPECT_DOUBLE_EQ(fromQDateTime(local), fromQDateTime(t));
}

}  // namespace
