// The shared export path: one call per track and format, never replacing a file.

#include <gtest/gtest.h>

#include <QJsonDocument>

#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "../../common/igc_reader.h"
#include "../../common/test_files.h"
#include "cli/track_listing.h"
#include "export/track_export.h"
#include "flight/log_flights.h"
#include "sim/emulator.h"

namespace kav::exporting {
using kav::testing::countElements;
using kav::testing::readAll;

namespace {

kav::log::LogCollection sampleLog() {
    const QByteArray image = kav::sim::sampleImage();
    kav::log::LogCollection log;
    for (qsizetype at = 0; at + 4096 <= image.size(); at += 4096)
        log.SavePacket(std::span(reinterpret_cast<const uint8_t*>(image.constData() + at), 4096));
    return log;
}

const TrackFormat kFormats[] = {TrackFormat::Gac, TrackFormat::Kml, TrackFormat::Gpx,
                                TrackFormat::Igc};

TrackExport header() {
    TrackExport h;
    h.info = fillFileInfo(kSoftFirmware, QDate(2024, 5, 19));
    h.Firmware = QStringLiteral("1.4.20");
    h.Hardware = QStringLiteral("1.0.12");
    h.exportMoment = QDateTime(QDate(2024, 5, 19), QTime(10, 0), Qt::UTC);
    return h;
}

TEST(TrackExport, EveryFormatHoldsEveryFixOfTheTrack) {
    const kav::log::LogCollection log = sampleLog();
    ASSERT_GE(log.tracks().size(), 3u);
    QTemporaryDir dir;
    for (std::size_t k = 0; k < log.tracks().size(); ++k) {
        const kav::log::Track& t = log.tracks()[k];
        const int fixes = int(t.last - t.first + 1);
        const QString stem = dir.filePath(QStringLiteral("t%1.").arg(k));
        for (TrackFormat f : kFormats)
            ASSERT_TRUE(exportTrack(log, k, f, header(), stem + extensionOf(f)).ok());
        EXPECT_EQ(countElements(readAll(stem + QStringLiteral("gpx")), QStringLiteral("trkpt")),
                  fixes);
        const QByteArray gac = readAll(stem + QStringLiteral("gac"));
        EXPECT_EQ(int(gac.count("\r\nB")), fixes) << "track " << k + 1;
        EXPECT_TRUE(gac.contains("HFRFWFIRMWAREVERSION:1.4.20\r\n"));
        const QByteArray kml = readAll(stem + QStringLiteral("kml"));
        EXPECT_EQ(countElements(kml, QStringLiteral("coordinates")), 1);
        EXPECT_EQ(kav::testing::readIgc(readAll(stem + QStringLiteral("igc"))).fixes.size(), fixes);
    }
}

// The GPX track points of a file: UTC seconds, latitude, longitude, height.
QList<kav::testing::IgcFix> gpxPoints(const QByteArray& gpx) {
    QList<kav::testing::IgcFix> points;
    QXmlStreamReader xml(gpx);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QStringLiteral("trkpt")) {
            points.append(kav::testing::IgcFix{});
            points.back().lat = xml.attributes().value("lat").toDouble();
            points.back().lon = xml.attributes().value("lon").toDouble();
        } else if (xml.name() == QStringLiteral("ele")) {
            points.back().gnssAltitude = int(std::lround(xml.readElementText().toDouble()));
        } else if (xml.name() == QStringLiteral("time") && !points.isEmpty()) {
            points.back().utcSeconds =
                QDateTime::fromString(xml.readElementText(), Qt::ISODate).toSecsSinceEpoch();
        }
    }
    return points;
}

TEST(TrackExport, EveryIgcFileReadsBackAndEachPointIsTheGpxPoint) {
    const kav::log::LogCollection log = sampleLog();
    QTemporaryDir dir;
    // Half a thousandth of a minute (IGC) plus half of GPX's fifth decimal.
    constexpr double kResolution = 1.0 / 60000 / 2 + 0.5e-5 + 1e-9;
    for (std::size_t k = 0; k < log.tracks().size(); ++k) {
        const QString igcPath = dir.filePath(QStringLiteral("%1.igc").arg(k));
        const QString gpxPath = dir.filePath(QStringLiteral("%1.gpx").arg(k));
        ASSERT_TRUE(exportTrack(log, k, TrackFormat::Igc, header(), igcPath).ok());
        ASSERT_TRUE(exportTrack(log, k, TrackFormat::Gpx, header(), gpxPath).ok());
        const kav::testing::IgcFile igc = kav::testing::readIgc(readAll(igcPath));
        EXPECT_TRUE(igc.errors.isEmpty()) << igc.errors.join('\n').toStdString();
        const QList<kav::testing::IgcFix> gpx = gpxPoints(readAll(gpxPath));
        qsizetype at = 0;
        for (const kav::testing::IgcFix& fix : igc.fixes) {
            while (at < gpx.size() && gpx[at].utcSeconds < fix.utcSeconds) ++at;
            ASSERT_LT(at, gpx.size()) << "track " << k + 1 << " has no GPX point at that time";
            EXPECT_EQ(gpx[at].utcSeconds, fix.utcSeconds);
            EXPECT_NEAR(gpx[at].lat, fix.lat, kResolution);
            EXPECT_NEAR(gpx[at].lon, fix.lon, kResolution);
            EXPECT_NEAR(gpx[at].gnssAltitude, fix.gnssAltitude, 1);
        }
    }
}

TEST(TrackExport, RefusesAMissingTrackAndAnExistingFile) {
    const kav::log::LogCollection log = sampleLog();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.gac"));
    EXPECT_FALSE(exportTrack(log, log.tracks().size(), TrackFormat::Gac, header(), path).ok());
    EXPECT_FALSE(QFile::exists(path));
    for (TrackFormat f : kFormats) {
        const QString taken = dir.filePath(QStringLiteral("taken.") + extensionOf(f));
        QFile file(taken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep");
        file.close();
        EXPECT_FALSE(exportTrack(log, 0, f, header(), taken).ok());
        EXPECT_EQ(readAll(taken), QByteArray("keep"));
    }
}

TEST(TrackExport, SameTrackAndMomentGiveIdenticalFiles) {
    const kav::log::LogCollection log = sampleLog();
    QTemporaryDir dirA, dirB;  // the same name: KML and GPX may carry it
    for (TrackFormat f : kFormats) {
        const QString a = dirA.filePath(QStringLiteral("t.") + extensionOf(f));
        const QString b = dirB.filePath(QStringLiteral("t.") + extensionOf(f));
        ASSERT_TRUE(exportTrack(log, 1, f, header(), a).ok());
        ASSERT_TRUE(exportTrack(sampleLog(), 1, f, header(), b).ok());
        EXPECT_EQ(readAll(a), readAll(b));
    }
}

TEST(TrackListing, JsonHoldsEveryTrackAndItsFlightsInUtc) {
    const kav::log::LogCollection log = sampleLog();
    const kav::cli::TrackListing listing{log, kav::flight::findLogFlights(log), 3};
    const QByteArray json = kav::cli::trackListJson(listing);
    EXPECT_TRUE(json.startsWith(
        R"({"tracks":[{"number":1,"start":"2022-05-09T08:59:52Z","end":"2022-05-09T09:00:51Z",)"
        R"("points":60,"incomplete":false,"flights":[]},{"number":2,)"))
        << json.toStdString();
    EXPECT_TRUE(json.contains(
        R"("flights":[{"takeoff":"2022-05-09T09:56:59Z","landing":"2022-05-09T11:20:14Z",)"
        R"("score":{"rules":"xcontest","type":"closed FAI triangle","km":21.146,)"))
        << json.toStdString();
    EXPECT_TRUE(json.contains(R"("points":3220,"incomplete":true,"flights":[{"takeoff":)"
                              R"("2022-05-10T23:30:31Z","landing":"2022-05-11T00:23:08Z",)"
                              R"("score":{"rules":"xcontest","type":"free distance","km":18.650,)"))
        << json.toStdString();
    EXPECT_TRUE(json.contains(R"("stats":{"duration_s":3157,)")) << json.toStdString();
    QJsonParseError error;
    QJsonDocument::fromJson(json, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
}

}  // namespace
}  // namespace kav::exporting
