#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "export/gac_writer.h"
#include "export_test_support.h"
#include "log/geodesy.h"

namespace kav::exporting {
namespace {

using kav::log::LogData;
using kav::log::TDataECEF;
using kav::log::TDataGAC;
using test::fixAt;

QDateTime utc(int day, int h, int m, int s) {
    return QDateTime(QDate(2019, 5, day), QTime(h, m, s), Qt::UTC);
}

TDataECEF nullFix(const QDateTime& when) {
    TDataECEF fix = fixAt(0, 0, 0, when);
    fix.ECEF_X = fix.ECEF_Y = 0;
    return fix;
}

// Fixes 0..8 of a log whose first track begins at the log's very first fix.
LogData shortLog() {
    return {
        fixAt(45.5, 6.123456, 376, utc(19, 10, 0, 0)),
        fixAt(45.6, 6.123456, 380, utc(19, 10, 0, 1)),
        fixAt(0.0, 6.2, 400, utc(19, 10, 0, 2)),  // on the equator: latitude exactly 0
        nullFix(utc(19, 10, 0, 3)),               // no position
        fixAt(45.5, 6.123456, 390, utc(19, 10, 0, 4)),
        fixAt(45.5, 6.2, -100, utc(19, 10, 0, 5)),   // below the ellipsoid
        fixAt(45.5, 6.3, 40000, utc(19, 10, 0, 6)),  // above 99999 units
        fixAt(45.5, 6.3, 40000, utc(19, 10, 0, 7)),  // did not move
        fixAt(45.5, 6.4, 500, utc(19, 23, 59, 59)),
    };
}

TDataGAC toGac(const TDataECEF& fix) {
    TDataGAC point;
    kav::log::Ecef2Gac(fix, point);
    return point;
}

QStringList linesOf(const QByteArray& bytes) {
    QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
}

class GacWriter : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    TFileInfo info = exportHeader();
    QString out = dir.filePath(QStringLiteral("track.gac"));

    static TFileInfo exportHeader() {
        const test::ScopedLocale pinned(test::pointLocale());
        return fillFileInfo(QStringLiteral("0.1.5 "), QDate(2003, 2, 1));  // DateToday 010203
    }
    WriteResult write(const LogData& log, std::size_t first, std::size_t last) {
        return writeGacFile(out, info, QStringLiteral("1.6.9"), QStringLiteral("1.4.21"), log,
                            first, last);
    }
    QStringList writtenLines(const LogData& log, std::size_t first, std::size_t last) {
        const WriteResult result = write(log, first, last);
        EXPECT_TRUE(result.ok()) << result.error.toStdString();
        return linesOf(test::readAll(out));
    }
};

TEST(GacBRecord, FieldsAreFixedWidth) {
    const struct {
        TDataGAC point;
        const char* record;
    } cases[] = {
        // 10:00:00, 45.5 N, 6.123456 E, altitude 1234, speed 12, track 7; the I record puts
        // GSP in columns 36-39 and TRT in 40-42.
        {{36000, 45.5, 6.123456, 1234, 12, 7}, "B1000004530000N00607407EA99999012340012007"},
        {{0, -5.25, -0.5, 99999, 9999, 360}, "B0000000515000S00030000WA99999999999999360"},
        {{86399, 45.5, 6.0, -1, 0, 0}, "B2359594530000N00600000EA99999000000000000"},
        {{86399, 45.5, 6.0, 100000, 10000, 0}, "B2359594530000N00600000EA99999000000000000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(gacBRecord(c.point), c.record);
        EXPECT_EQ(gacBRecord(c.point).size(), 42);
    }
}

TEST_F(GacWriter, ShortTrackMatchesTheExpectedFile) {
    ASSERT_TRUE(write(shortLog(), 0, 8).ok());
    EXPECT_TRUE(test::matchesExpectedFile(test::readAll(out), QStringLiteral("short_track.gac")));
}

TEST_F(GacWriter, HeaderCarriesTheFlightDateAndTheHeaderTexts) {
    const QStringList lines = writtenLines(shortLog(), 0, 8);
    ASSERT_GE(lines.size(), 12);
    const QStringList expected = {
        "AAXCMNo_serial_number",
        "HFDTE190519",  // the flight's date, not the export date 010203
        "HFPLTPILOT:",
        "HFGTYAIRCRAFTTYPE:",
        "HFGIDAIRCRAFTID:",
        "HFDTM100GPSDATUM:WGS84",
        "HFRFWFIRMWAREVERSION:1.6.9",
        "HFRHWHHARDWAREVERSION:1.4.21",
        "HOFTYFRTYPE:Canmore,GT-730FL-S, KAV-GT730 0.1.5 , UTC=GPS-18",
        "HOGPSRECEIVER:SKYTRAQ_VENUS6, 48",
        "HFPRSPRESSALTSENSOR:None",
        "I023639GSP4042TRT",
    };
    EXPECT_EQ(lines.mid(0, 12), expected);
}

TEST_F(GacWriter, DateIsTheFirstWrittenFixsUtcDate) {
    const LogData log = {nullFix(utc(18, 23, 59, 59)), fixAt(45, 6, 500, utc(19, 0, 0, 0))};
    EXPECT_EQ(writtenLines(log, 0, 1).at(1), "HFDTE190519");
}

TEST_F(GacWriter, RecordsAndCourses) {
    const LogData log = shortLog();
    const struct {
        const char* name;
        std::size_t first, last;
        QStringList times;    // HHMMSS of each written record
        QStringList courses;  // TRT of each written record
    } cases[] = {
        // Fix 0 is written; the first record has course 000, the others run from the last
        // written fix: 0 -> 1 north, 1 -> 4 south (2 and 3 skipped), then east, then in place.
        {"WholeLog",
         0,
         8,
         {"100000", "100001", "100004", "100005", "100006", "100007", "235959"},
         {"000", "000", "180", "090", "090", "000", "090"}},
        {"StartsAfterFixZero", 4, 4, {"100004"}, {"000"}},
        {"SkippedFixesOnly", 2, 3, {}, {}},
        {"LastFixIncluded", 7, 8, {"100007", "235959"}, {"000", "090"}},
    };
    for (const auto& c : cases) {
        QFile::remove(out);
        const QStringList records = writtenLines(log, c.first, c.last).mid(12);
        QStringList times, courses;
        for (const QString& r : records) {
            EXPECT_EQ(r.size(), 42) << c.name;
            times << r.mid(1, 6);
            courses << r.mid(39, 3);
        }
        EXPECT_EQ(times, c.times) << c.name;
        EXPECT_EQ(courses, c.courses) << c.name;
    }
}

TEST_F(GacWriter, AltitudesOutsideTheFieldAreZero) {
    const LogData log = shortLog();
    ASSERT_LT(toGac(log[5]).xAlti, 0);
    ASSERT_GT(toGac(log[6]).xAlti, 99999);
    const QStringList lines = writtenLines(log, 5, 6);
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines[12].mid(30, 5), "00000");
    EXPECT_EQ(lines[13].mid(30, 5), "00000");
}

// A fix near 45 N 6 E nudged by whole metres until its height is exactly 0 units.
TDataECEF fixAtZeroAltitude(const QDateTime& when) {
    const TDataECEF base = fixAt(45, 6, 0, when);
    for (int dy = -6; dy <= 6; ++dy)
        for (int dz = -2; dz <= 2; ++dz) {
            TDataECEF fix = base;
            fix.ECEF_Y += dy;
            fix.ECEF_Z += dz;
            if (toGac(fix).xAlti == 0) return fix;
        }
    return base;
}

TEST_F(GacWriter, ZeroAltitudeOrLongitudeIsSkipped) {
    const LogData log = {fixAt(45, 0.0, 500, utc(19, 9, 0, 0)), fixAtZeroAltitude(utc(19, 9, 0, 1)),
                         fixAt(45, 6, 500, utc(19, 9, 0, 2))};
    ASSERT_EQ(toGac(log[0]).xLong, 0.0);
    ASSERT_EQ(toGac(log[1]).xAlti, 0);
    const QStringList lines = writtenLines(log, 0, 2);
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[12].mid(1, 6), "090002");
}

TEST_F(GacWriter, EmptyRangeGivesTheHeaderOnlyWithTheExportDate) {
    const QStringList lines = writtenLines(shortLog(), 5, 4);
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[1], "HFDTE010203");
}

TEST_F(GacWriter, ATrackOutsideTheLogFailsWithoutAFile) {
    const WriteResult result = write(shortLog(), 3, 9);
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_FALSE(QFile::exists(out));
}

}  // namespace
}  // namespace kav::exporting
