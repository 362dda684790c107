#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "export/kml_writer.h"
#include "export_test_support.h"
#include "sample_tracks.h"

namespace kav::exporting {
namespace {

struct KmlContent {
    QString rootNamespace;
    QStringList names;    // every name element, in document order
    QString coordinates;  // the track's
    QStringList points;   // every coordinates element after the track's
};

KmlContent readKml(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    KmlContent content;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"kml") content.rootNamespace = xml.namespaceUri().toString();
        if (xml.name() == u"name") content.names << xml.readElementText();
        if (xml.name() == u"coordinates") {
            if (!content.coordinates.isNull())
                content.points << xml.readElementText();
            else
                content.coordinates = xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return content;
}

class KmlWriter : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    test::ScopedLocale pinned{test::pointLocale()};

    QByteArray written(const QString& name, const kav::log::TrackPoints& track) {
        const WriteResult result = writeKmlFile(dir.filePath(name), track);
        EXPECT_TRUE(result.ok()) << result.error.toStdString();
        return test::readAll(dir.filePath(name));
    }
};

TEST_F(KmlWriter, ShortTrackMatchesTheExpectedFile) {
    EXPECT_TRUE(test::matchesExpectedFile(written("track_1.kml", test::sampleTrack()),
                                          QStringLiteral("track_1.kml")));
}

TEST_F(KmlWriter, CommaLocaleWritesTheSameFile) {
    const test::ScopedLocale comma(test::commaLocale());
    EXPECT_TRUE(test::matchesExpectedFile(written("track_1.kml", test::sampleTrack()),
                                          QStringLiteral("track_1.kml")));
}

TEST_F(KmlWriter, EveryPointIsWrittenIncludingTheLast) {
    const struct {
        std::size_t points;
        QString coordinates;
    } cases[] = {
        {0, "\n"},
        {1, "\n6.12346,45.50000,376\n"},
        {3, "\n6.12346,45.50000,376\n-0.50000,45.25000,303\n-70.25000,-33.50000,606\n"},
    };
    // A reader sees each CR LF of the file as one line feed.
    for (const auto& c : cases) {
        const QString name = QStringLiteral("n%1.kml").arg(c.points);
        written(name, test::sampleTrack(c.points));
        const KmlContent content = readKml(dir.filePath(name));
        EXPECT_EQ(content.coordinates, c.coordinates) << c.points;
        EXPECT_EQ(content.rootNamespace, "http://earth.google.com/kml/2.0");
    }
}

TEST_F(KmlWriter, DocumentAndPlacemarkNamesComeFromTheFileName) {
    const struct {
        QString file, document, placemark;
    } cases[] = {
        {"track_1.kml", "track_1", "track"},
        {"a.kml", "a", ""},
        {"ab.kml", "ab", ""},
        {"abc.kml", "abc", "a"},
        {"my.flight.kml", "my.flight", "my.flig"},
        {"<a&'b\"é>.kml", "<a&'b\"é>", "<a&'b\""},
    };
    for (const auto& c : cases) {
        written(c.file, test::sampleTrack(1));
        EXPECT_EQ(readKml(dir.filePath(c.file)).names,
                  (QStringList{c.document, "Tracks", c.placemark}))
            << c.file.toStdString();
    }
}

TEST_F(KmlWriter, ScoreTurnpointsFollowAsPlacemarksInTheirFolder) {
    const KmlPlacemark marks[] = {{"start", 45.5, 6.123456, 376.4},
                                  {"finish", -33.5, -70.25, -2.6}};
    const QString path = dir.filePath("scored.kml");
    ASSERT_TRUE(writeKmlFile(path, test::sampleTrack(1), marks, "free distance 1.00 km").ok());
    const KmlContent content = readKml(path);
    EXPECT_EQ(content.names, (QStringList{"scored", "Tracks", "scor", "free distance 1.00 km",
                                          "start", "finish"}));
    EXPECT_EQ(content.points, (QStringList{"6.12346,45.50000,376", "-70.25000,-33.50000,-3"}));
    EXPECT_EQ(content.coordinates, "\n6.12346,45.50000,376\n");
}

TEST_F(KmlWriter, UnequalPointArraysAreRefused) {
    kav::log::TrackPoints track = test::sampleTrack();
    track.FRAltitudes.pop_back();
    EXPECT_FALSE(writeKmlFile(dir.filePath("bad.kml"), track).ok());
    EXPECT_TRUE(test::entriesOf(dir.path()).isEmpty());
}

}  // namespace
}  // namespace kav::exporting
