// Formats, export moments, the logging criteria rules and the progress text.

#include <gtest/gtest.h>

#include "cli/command_line.h"
#include "cli/config_rules.h"
#include "cli/progress_line.h"
#include "export/track_export.h"

namespace kav::cli {
namespace {

using kav::exporting::TrackFormat;

TEST(Formats, ExtensionsAreRecognisedInAnyCase) {
    using kav::exporting::formatFromExtension;
    EXPECT_EQ(formatFromExtension(u"gac"), TrackFormat::Gac);
    EXPECT_EQ(formatFromExtension(u".GAC"), TrackFormat::Gac);
    EXPECT_EQ(formatFromExtension(u"Kml"), TrackFormat::Kml);
    EXPECT_EQ(formatFromExtension(u"gpx"), TrackFormat::Gpx);
    EXPECT_FALSE(formatFromExtension(u"txt"));
    EXPECT_FALSE(formatFromExtension(u""));
    EXPECT_FALSE(formatFromExtension(u"gacx"));
    EXPECT_EQ(kav::exporting::formatOfPath(QStringLiteral("/a.b/TRACK.GPX")), TrackFormat::Gpx);
    EXPECT_FALSE(kav::exporting::formatOfPath(QStringLiteral("/a.gpx/track")));
}

TEST(Formats, OptionListsAllAndRejectsUnknownWords) {
    QString error;
    EXPECT_EQ(
        *parseFormats(QStringLiteral("all"), &error),
        (std::vector{TrackFormat::Gac, TrackFormat::Kml, TrackFormat::Gpx, TrackFormat::Igc}));
    EXPECT_EQ(*parseFormats(QStringLiteral("gpx,GAC,gpx,igc"), &error),
              (std::vector{TrackFormat::Gpx, TrackFormat::Gac, TrackFormat::Igc}));
    for (const char* bad : {"", "txt", "gac,", ".gac", ".igc"}) {
        EXPECT_FALSE(parseFormats(QString::fromLatin1(bad), &error)) << bad;
    }
}

TEST(ExportMoment, IsoTextIsUtcUnlessItSaysOtherwise) {
    QString error;
    EXPECT_EQ(*parseExportMoment(QStringLiteral("2024-05-19T10:00:00"), &error),
              QDateTime(QDate(2024, 5, 19), QTime(10, 0), Qt::UTC));
    EXPECT_EQ(*parseExportMoment(QStringLiteral("2024-05-19T12:00:00+02:00"), &error),
              QDateTime(QDate(2024, 5, 19), QTime(10, 0), Qt::UTC));
    EXPECT_FALSE(parseExportMoment(QStringLiteral("yesterday"), &error));
    EXPECT_TRUE(parseExportMoment(QString(), &error)->isValid());
}

struct CriteriaCase {
    const char* name;
    ConfigRequest request;
    qint32 timeMax, speedMin;
    bool logging;
    std::array<uint16_t, 7> expected;
};

class CriteriaTest : public ::testing::TestWithParam<CriteriaCase> {};

TEST_P(CriteriaTest, FollowsTheDialogRules) {
    const CriteriaCase& c = GetParam();
    kav::link::LogStatus status;
    status.timeMax = c.timeMax;
    status.distMax = 65535;
    status.speedMax = 65535;
    status.speedMin = c.speedMin;
    status.logging = c.logging;
    EXPECT_EQ(criteriaFor(c.request, status), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Rules, CriteriaTest,
                         ::testing::Values(CriteriaCase{"every second",
                                                        {LogEvery::Seconds, 1, 0, true},
                                                        65535,
                                                        0,
                                                        true,
                                                        {65535, 1, 65535, 0, 65535, 0, 1}},
                                           CriteriaCase{"time 0 stays 0",
                                                        {LogEvery::Seconds, 0, {}, {}},
                                                        65535,
                                                        0,
                                                        true,
                                                        {65535, 0, 65535, 0, 65535, 0, 1}},
                                           CriteriaCase{"max time 0 raised to 1",
                                                        {LogEvery::Seconds, 5, {}, {}},
                                                        0,
                                                        0,
                                                        true,
                                                        {1, 5, 65535, 0, 65535, 0, 1}},
                                           CriteriaCase{"distance 0 becomes 50",
                                                        {LogEvery::Metres, 0, {}, {}},
                                                        0,
                                                        0,
                                                        true,
                                                        {0, 0, 65535, 50, 65535, 0, 1}},
                                           CriteriaCase{"every 100 m",
                                                        {LogEvery::Metres, 100, 3, false},
                                                        65535,
                                                        9,
                                                        true,
                                                        {65535, 0, 65535, 100, 65535, 3, 0}},
                                           CriteriaCase{"logger's speed and switch kept",
                                                        {LogEvery::Seconds, 2, {}, {}},
                                                        65535,
                                                        7,
                                                        false,
                                                        {65535, 2, 65535, 0, 65535, 7, 0}},
                                           CriteriaCase{"low 16 bits",
                                                        {LogEvery::Seconds, 65537, 70000, {}},
                                                        65535,
                                                        0,
                                                        true,
                                                        {65535, 1, 65535, 0, 65535, 4464, 1}},
                                           CriteriaCase{"65536 metres is 0, then 50",
                                                        {LogEvery::Metres, 65536, {}, {}},
                                                        65535,
                                                        0,
                                                        true,
                                                        {65535, 0, 65535, 50, 65535, 0, 1}}));

TEST(ConfigNumbers, OnlyDigitsAreTaken) {
    EXPECT_EQ(parseDigits(QStringLiteral("0")), 0u);
    EXPECT_EQ(parseDigits(QStringLiteral("70000")), 70000u);
    for (const char* bad : {"", "-1", "+1", "1.5", " 1", "1e3", "99999999999999999999"})
        EXPECT_FALSE(parseDigits(QString::fromLatin1(bad))) << bad;
}

TEST(ProgressText, ShowsSectorsRateAndTimeLeft) {
    EXPECT_EQ(progressText(0, 6, 0), QStringLiteral("sector 0 of 6"));
    EXPECT_EQ(progressText(1, 6, 0), QStringLiteral("sector 1 of 6"));
    // 3 sectors of 4096 bytes in 1 s: 12 KiB/s, 3 more sectors take 1 s.
    EXPECT_EQ(progressText(3, 6, 1000), QStringLiteral("sector 3 of 6, 12.0 KiB/s, 0:01 left"));
    EXPECT_EQ(progressText(6, 6, 2000), QStringLiteral("sector 6 of 6, 12.0 KiB/s, 0:00 left"));
    EXPECT_EQ(progressText(1, 1000, 8000),
              QStringLiteral("sector 1 of 1000, 512 B/s, 2:13:12 left"));
}

}  // namespace
}  // namespace kav::cli
