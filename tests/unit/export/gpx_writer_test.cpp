#include <gtest/gtest.h>

#include <random>

#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "export/gpx_writer.h"
#include "export_test_support.h"
#include "log/gps_time.h"
#include "sample_tracks.h"

namespace kav::exporting {
namespace {

struct GpxPoint {
    QString lat, lon, ele, time;
    bool operator==(const GpxPoint&) const = default;
};

struct GpxContent {
    QString rootTime;
    QString name;
    QStringList rootAttributes;  // qualified names in document order
    QString desc;
    QStringList bounds;  // minlat, minlon, maxlat, maxlon
    std::vector<GpxPoint> points;
};

GpxContent readGpx(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    GpxContent content;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        EXPECT_EQ(xml.namespaceUri(), u"http://www.topografix.com/GPX/1/0");
        if (xml.name() == u"gpx") {
            for (const auto& ns : xml.namespaceDeclarations())
                content.rootAttributes
                    << (ns.prefix().isEmpty() ? QStringLiteral("xmlns")
                                              : QStringLiteral("xmlns:") + ns.prefix().toString());
            for (const auto& a : xml.attributes())
                content.rootAttributes << a.qualifiedName().toString();
        } else if (xml.name() == u"time" && content.points.empty()) {
            content.rootTime = xml.readElementText();
        } else if (xml.name() == u"bounds") {
            for (const char* a : {"minlat", "minlon", "maxlat", "maxlon"})
                content.bounds << xml.attributes().value(a).toString();
        } else if (xml.name() == u"name") {
            content.name = xml.readElementText();
        } else if (xml.name() == u"desc") {
            content.desc = xml.readElementText();
        } else if (xml.name() == u"trkpt") {
            content.points.push_back({xml.attributes().value("lat").toString(),
                                      xml.attributes().value("lon").toString(),
                                      {},
                                      {}});
        } else if (xml.name() == u"ele") {
            content.points.back().ele = xml.readElementText();
        } else if (xml.name() == u"time") {
            content.points.back().time = xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return content;
}

class GpxWriter : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    test::ScopedLocale pinned{test::pointLocale()};
    TFileInfo info = fillFileInfo(QStringLiteral("0.1.5 "), QDate(2019, 5, 20));

    QByteArray written(const QString& name, const kav::log::TrackPoints& track) {
        const WriteResult result =
            writeGpxFile(dir.filePath(name), track, info, test::sampleExportMoment());
        EXPECT_TRUE(result.ok()) << result.error.toStdString();
        return test::readAll(dir.filePath(name));
    }
};

TEST_F(GpxWriter, ShortTrackMatchesTheExpectedFile) {
    EXPECT_TRUE(test::matchesExpectedFile(written("track_1.gpx", test::sampleTrack()),
                                          QStringLiteral("track_1.gpx")));
}

TEST_F(GpxWriter, CommaLocaleWritesTheSameFile) {
    const test::ScopedLocale comma(test::commaLocale());
    EXPECT_TRUE(test::matchesExpectedFile(written("track_1.gpx", test::sampleTrack()),
                                          QStringLiteral("track_1.gpx")));
}

TEST_F(GpxWriter, ReadsBackWithEveryPointAndItsOwnUtcTime) {
    written("t.gpx", test::sampleTrack());
    const GpxContent content = readGpx(dir.filePath("t.gpx"));
    EXPECT_EQ(content.rootAttributes,
              (QStringList{"xmlns:xsi", "xmlns", "version", "creator", "xsi:schemaLocation"}));
    EXPECT_EQ(content.rootTime, "2019-05-20T07:15:02Z");  // 09:15:02 at UTC+2
    EXPECT_EQ(content.desc, "Canmore,GT-730FL-S, KAV-GT730 0.1.5 , UTC=GPS-18, SKYTRAQ_VENUS6, 48");
    const std::vector<GpxPoint> expected = {
        {"45.50000", "6.12346", "376", "2019-05-19T14:00:00Z"},
        {"45.25000", "-0.50000", "303", "2019-05-19T23:59:59Z"},
        {"-33.50000", "-70.25000", "606", "2019-05-20T00:00:01Z"},
    };
    EXPECT_EQ(content.points, expected);
}

TEST_F(GpxWriter, RootAttributesAreWrittenInTheirOrder) {
    const QByteArray file = written("t.gpx", test::sampleTrack(1));
    const QByteArray order[] = {
        "version=", "creator=", "xmlns:xsi=", "xmlns=", "xsi:schemaLocation="};
    qsizetype previous = -1;
    for (const QByteArray& attribute : order) {
        const qsizetype at = file.indexOf(" " + attribute);
        EXPECT_GT(at, previous) << attribute.toStdString();
        previous = at;
    }
}

TEST_F(GpxWriter, PointCountsReadBack) {
    for (std::size_t n : {0, 1, 3}) {
        const QString name = QStringLiteral("n%1.gpx").arg(n);
        written(name, test::sampleTrack(n));
        EXPECT_EQ(readGpx(dir.filePath(name)).points.size(), n);
    }
}

TEST_F(GpxWriter, BoundsStayInsideTheValidRanges) {
    const struct {
        const char* name;
        double latMin, longMin, latMax, longMax;
        QStringList expected;
    } cases[] = {
        {"antimeridian",
         -17.5,
         -180.08997,
         -17.4,
         180.08992,
         {"-17.50000", "-180.00000", "-17.40000", "180.00000"}},
        {"north pole", 89.9, 6.1, 90.045, 6.2, {"89.90000", "6.10000", "90.00000", "6.20000"}},
        {"south pole",
         -90.045,
         -0.2,
         -89.9,
         0.0,
         {"-90.00000", "-0.20000", "-89.90000", "0.00000"}},
    };
    for (const auto& c : cases) {
        kav::log::TrackPoints track = test::sampleTrack();
        track.LatMin = c.latMin;
        track.LongMin = c.longMin;
        track.LatMax = c.latMax;
        track.LongMax = c.longMax;
        const QString name = QString::fromLatin1(c.name) + QStringLiteral(".gpx");
        written(name, track);
        EXPECT_EQ(readGpx(dir.filePath(name)).bounds, c.expected) << c.name;
    }
}

TEST_F(GpxWriter, ManyRandomPointsAndMarkupInTextsReadBack) {
    std::mt19937_64 random(18);
    std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180);
    std::uniform_int_distribution<int32_t> alti(-40000, 400000);
    std::uniform_int_distribution<int64_t> step(0, 30000);  // runs of days and day changes
    QDateTime when(QDate(1980, 1, 6), QTime(0, 0), Qt::UTC);
    kav::log::TrackPoints track;
    std::vector<QDateTime> times;
    for (int i = 0; i < 5000; ++i) {
        track.FRLatitudes.push_back(lat(random));
        track.FRLongitudes.push_back(lon(random));
        track.FRAltitudes.push_back(alti(random));
        when = when.addSecs(i % 500 == 0 ? 86400 * 3000 : step(random));
        times.push_back(when);
        track.FRDateTimes.push_back(kav::log::fromQDateTime(times.back()));
        track.FRHeures.push_back(times.back().time().msecsSinceStartOfDay() / 1000);
    }
    info.GPSName = QStringLiteral("<a & b> \"q\" 'é' \u00b0");
    written(QStringLiteral("<&'é\".gpx"), track);
    const GpxContent content = readGpx(dir.filePath(QStringLiteral("<&'é\".gpx")));
    EXPECT_EQ(content.name, QStringLiteral("<&'é\""));
    EXPECT_TRUE(content.desc.endsWith(info.GPSName)) << content.desc.toStdString();
    ASSERT_EQ(content.points.size(), track.FRTaille());
    for (std::size_t i = 0; i < track.FRTaille(); ++i) {
        const GpxPoint& p = content.points[i];
        EXPECT_NEAR(p.lat.toDouble(), track.FRLatitudes[i], 5.000001e-6) << i;
        EXPECT_NEAR(p.lon.toDouble(), track.FRLongitudes[i], 5.000001e-6) << i;
        EXPECT_NEAR(p.ele.toDouble(), track.FRAltitudes[i] * 0.303, 0.5) << i;
        EXPECT_EQ(QDateTime::fromString(p.time, Qt::ISODate), times[i]) << i;
    }
}

TEST_F(GpxWriter, UnequalPointArraysAreRefused) {
    kav::log::TrackPoints track = test::sampleTrack();
    track.FRDateTimes.pop_back();
    EXPECT_FALSE(
        writeGpxFile(dir.filePath("bad.gpx"), track, info, test::sampleExportMoment()).ok());
    EXPECT_TRUE(test::entriesOf(dir.path()).isEmpty());
}

}  // namespace
}  // namespace kav::exporting
