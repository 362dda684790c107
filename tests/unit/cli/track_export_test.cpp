// The shared export path: one call per track and format, never replacing a file.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "../../common/test_files.h"
#include "export/track_export.h"
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
        for (TrackFormat f : {TrackFormat::Gac, TrackFormat::Kml, TrackFormat::Gpx})
            ASSERT_TRUE(exportTrack(log, k, f, header(), stem + extensionOf(f)).ok());
        EXPECT_EQ(countElements(readAll(stem + QStringLiteral("gpx")), QStringLiteral("trkpt")),
                  fixes);
        const QByteArray gac = readAll(stem + QStringLiteral("gac"));
        EXPECT_EQ(int(gac.count("\r\nB")), fixes) << "track " << k + 1;
        EXPECT_TRUE(gac.contains("HFRFWFIRMWAREVERSION:1.4.20\r\n"));
        const QByteArray kml = readAll(stem + QStringLiteral("kml"));
        EXPECT_EQ(countElements(kml, QStringLiteral("coordinates")), 1);
    }
}

TEST(TrackExport, RefusesAMissingTrackAndAnExistingFile) {
    const kav::log::LogCollection log = sampleLog();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.gac"));
    EXPECT_FALSE(exportTrack(log, log.tracks().size(), TrackFormat::Gac, header(), path).ok());
    EXPECT_FALSE(QFile::exists(path));
    for (TrackFormat f : {TrackFormat::Gac, TrackFormat::Kml, TrackFormat::Gpx}) {
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
    for (TrackFormat f : {TrackFormat::Gac, TrackFormat::Kml, TrackFormat::Gpx}) {
        const QString a = dirA.filePath(QStringLiteral("t.") + extensionOf(f));
        const QString b = dirB.filePath(QStringLiteral("t.") + extensionOf(f));
        ASSERT_TRUE(exportTrack(log, 1, f, header(), a).ok());
        ASSERT_TRUE(exportTrack(sampleLog(), 1, f, header(), b).ok());
        EXPECT_EQ(readAll(a), readAll(b));
    }
}

}  // namespace
}  // namespace kav::exporting
