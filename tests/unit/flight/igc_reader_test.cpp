// IGC files as recorders in the field write them.

#include <gtest/gtest.h>

#include "flight/igc_reader.h"
#include "log/gps_time.h"

namespace kav::flight {
namespace {

struct IgcCase {
    const char* name;
    QByteArray text;
    std::size_t fixes;
    int skipped;
    const char* firstTime;  // UTC, ISO 8601
    double firstLat, firstLon, firstHeight;
};

const QByteArray kHeader = "AXXX001\r\nHFDTE090522\r\n";
const QByteArray kFix1 = "B1030004547123N00614456EA0123401250";
const QByteArray kFix2 = "B1030014547130S00614470WA0123401252";

const IgcCase kCases[] = {
    {"Plain", kHeader + kFix1 + "\r\n" + kFix2 + "\r\n", 2, 0, "2022-05-09T10:30:00Z",
     45 + 47.123 / 60, 6 + 14.456 / 60, 1250},
    {"CrCrLfTrailingBlanksNoARecord",
     "HFDTEDATE:090522,01\r\r\n" + kFix1 + "   \r\r\n" + kFix2 + "\t\r\r\n", 2, 0,
     "2022-05-09T10:30:00Z", 45 + 47.123 / 60, 6 + 14.456 / 60, 1250},
    {"RepeatedFixAndOtherRecords",
     kHeader + "LXXXcomment\r\n" + kFix1 + "\r\nE103000PEV\r\n" + kFix1 + "\r\nK103001\r\n" +
         kFix2 + "\r\nGSIGNATURE\r\n",
     2, 1, "2022-05-09T10:30:00Z", 45 + 47.123 / 60, 6 + 14.456 / 60, 1250},
    // No GNSS height: the pressure height stands in; a short record is counted and skipped.
    {"PressureHeightOnly", kHeader + "B1030004547123N00614456EA0123400000\nB10300\n", 1, 1,
     "2022-05-09T10:30:00Z", 45 + 47.123 / 60, 6 + 14.456 / 60, 1234},
    // A fix without a 3D solution is left out while others have one.
    {"TwoDimensionalFix", kHeader + "B1029594547123N00614456EV0123401250\n" + kFix1 + "\n", 1, 1,
     "2022-05-09T10:30:00Z", 45 + 47.123 / 60, 6 + 14.456 / 60, 1250},
    {"PastMidnight",
     kHeader + "B2359594547123N00614456EA0123401250\nB0000004547123N00614456EA0123401251\n", 2, 0,
     "2022-05-09T23:59:59Z", 45 + 47.123 / 60, 6 + 14.456 / 60, 1250},
};

TEST(IgcReader, FieldFiles) {
    for (const IgcCase& c : kCases) {
        const IgcRead read = readIgc(c.text);
        ASSERT_EQ(read.fixes.size(), c.fixes) << c.name << " " << read.error.toStdString();
        EXPECT_EQ(read.skipped, c.skipped) << c.name;
        const FlightFix& f = read.fixes.front();
        EXPECT_EQ(kav::log::toQDateTime(f.time).toString(Qt::ISODate).toStdString(), c.firstTime)
            << c.name;
        EXPECT_NEAR(f.lat, c.firstLat, 1e-9) << c.name;
        EXPECT_NEAR(f.lon, c.firstLon, 1e-9) << c.name;
        EXPECT_EQ(f.height, c.firstHeight) << c.name;
        for (std::size_t i = 1; i < read.fixes.size(); ++i)
            EXPECT_GT(read.fixes[i].time, read.fixes[i - 1].time) << c.name;
    }
    EXPECT_LT(readIgc(kHeader + kFix2 + "\n").fixes.front().lat, 0);
    EXPECT_FALSE(readIgc("AXXX\r\nHFDTE090522\r\n").error.isEmpty());
}

}  // namespace
}  // namespace kav::flight
