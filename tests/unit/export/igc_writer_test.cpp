#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "../../common/igc_reader.h"
#include "export/igc_writer.h"
#include "export_test_support.h"
#include "log/geodesy.h"
#include "log/gps_time.h"

namespace kav::exporting {
namespace {

using kav::log::TDataGAC;
using test::fixAt;

TDataGAC point(int32_t second, double lat, double lon, double metres) {
    TDataGAC p;
    p.xSeconde = second;
    p.xLat = lat;
    p.xLong = lon;
    p.xAlti = kav::log::altitudeUnits(metres);
    p.xHeight = metres;
    return p;
}

TEST(IgcBRecord, FieldsAreFixedWidth) {
    const struct {
        TDataGAC point;
        const char* record;
    } cases[] = {
        {point(36000, 45.5, 6.123456, 1234.4), "B1000004530000N00607407EA0000001234"},
        // 59.9995' rounds up into the next degree, never to 60 minutes.
        {point(60, 45 + 59.99951 / 60, 6 + 59.9996 / 60, 10),
         "B0001004600000N00700000EA0000000010"},
        {point(86399, -17.5539, -149.561, 650.5), "B2359591733234S14933660WA0000000650"},
        {point(0, -0.0001, -0.0001, -12.6), "B0000000000006S00000006WA00000-0013"},
        {point(1, 45, 6, -20000), "B0000014500000N00600000EA00000-9999"},
        {point(2, 45, 6, 150000), "B0000024500000N00600000EA0000099999"},
        {point(3, 0, 0, 0), "B0000030000000N00000000EV0000000000"},  // no position
    };
    for (const auto& c : cases) {
        EXPECT_EQ(igcBRecord(c.point), c.record);
        EXPECT_EQ(igcBRecord(c.point).size(), 35);
    }
}

TEST(IgcNames, RecorderIdTextAndFileName) {
    EXPECT_EQ(igcRecorderId("GT730-00123a7"), "3A7");
    EXPECT_EQ(igcRecorderId("7"), "007");
    EXPECT_EQ(igcRecorderId(""), "000");
    EXPECT_EQ(igcText("<b>Zoë</b>  Çelik $*!\\^~ 李 Jr."), "Zoe Celik Jr.");
    EXPECT_EQ(igcFileName(QDate(2022, 5, 30), "00123a7", 2), "2022-05-30-XXX-3A7-02.igc");
}

QDateTime utc(int day, int h, int m, int s) {
    return QDateTime(QDate(2022, 5, day), QTime(h, m, s), Qt::UTC);
}

// Four fixes around midnight UTC, south and west, the last below the ellipsoid; a repeated
// second is left out.
kav::log::ConvertedTrack midnightTrack() {
    const kav::log::LogData log = {
        fixAt(-17.5, -149.5, 652, utc(30, 23, 59, 58)),
        fixAt(-17.5001, -149.5001, 651, utc(30, 23, 59, 59)),
        fixAt(-17.5001, -149.5001, 651, utc(30, 23, 59, 59)),
        fixAt(-17.5002, -149.5002, 649, utc(31, 0, 0, 0)),
        fixAt(-17.5003, -149.5003, -3, utc(31, 0, 0, 1)),
    };
    return kav::log::convertTrack(log, 0, log.size() - 1);
}

TEST(IgcWriter, MidnightTrackMatchesTheExpectedFileAndReadsBack) {
    QTemporaryDir dir;
    const QString out = dir.filePath("flight.igc");
    IgcHeader header{"4242", "<i>Zoë</i> Çelik", "1.4.20", "1.0.12", 3, QDate(2022, 6, 1)};
    ASSERT_TRUE(writeIgcFile(out, header, midnightTrack()).ok());
    const QByteArray bytes = test::readAll(out);
    EXPECT_TRUE(test::matchesExpectedFile(bytes, "midnight.igc"));
    const kav::testing::IgcFile read = kav::testing::readIgc(bytes);
    EXPECT_TRUE(read.errors.isEmpty()) << read.errors.join('\n').toStdString();
    EXPECT_EQ(read.date, QDate(2022, 5, 30));
    EXPECT_EQ(read.flightOfDay, 3);
    ASSERT_EQ(read.fixes.size(), 4);
    EXPECT_EQ(read.fixes.back().utcSeconds, utc(31, 0, 0, 1).toSecsSinceEpoch());
}

}  // namespace
}  // namespace kav::exporting
