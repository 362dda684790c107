#include "export/gpx_writer.h"

#include <algorithm>

#include <QFileInfo>
#include <QXmlStreamWriter>

#include "export/converti.h"
#include "export/xml_document.h"
#include "export/xml_number_format.h"
#include "log/gps_time.h"

namespace kav::exporting {

namespace {

using kav::log::TrackPoints;

const QString kGpxNamespace = QStringLiteral("http://www.topografix.com/GPX/1/0");
const QString kSchemaInstance = QStringLiteral("http://www.w3.org/2001/XMLSchema-instance");

constexpr int64_t kSecondsPerDay = 86400;
constexpr double kMaxLatitude = 90.0;
constexpr double kMaxLongitude = 180.0;
// A track point takes about 130 bytes of GPX; the header about 700.
constexpr qsizetype kBytesPerPoint = 140;
constexpr qsizetype kHeaderBytes = 1024;
const QDate kDayZero(1899, 12, 30);

QString isoTime(const QDateTime& utc) {
    return SecToIso8601(utc, TimeToSec(utc));
}

// The point's own UTC date and time, to the second.
QString isoTime(kav::log::DateTime when) {
    const int64_t seconds = kav::log::wholeSeconds(when);
    const int64_t days = seconds / kSecondsPerDay - (seconds % kSecondsPerDay < 0 ? 1 : 0);
    return SecToIso8601(kDayZero.addDays(days), int32_t(seconds - days * kSecondsPerDay));
}

bool sameLengths(const TrackPoints& points) {
    const std::size_t n = points.FRTaille();
    return points.FRLongitudes.size() == n && points.FRAltitudes.size() == n &&
           points.FRDateTimes.size() == n;
}

void writeRootAttributes(QXmlStreamWriter& xml) {
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    xml.writeAttribute(QStringLiteral("creator"), QStringLiteral("KAV GT730"));
    xml.writeNamespace(kSchemaInstance, QStringLiteral("xsi"));
    xml.writeDefaultNamespace(kGpxNamespace);
    xml.writeAttribute(kSchemaInstance, QStringLiteral("schemaLocation"),
                       kGpxNamespace + u' ' + kGpxNamespace + QStringLiteral("/gpx.xsd"));
}

// The plot's widened bounds, held to the ranges GPX allows: widening a track near a pole or
// across the antimeridian would otherwise give latitudes past 90 or longitudes past 180.
void writeBounds(QXmlStreamWriter& xml, const FixedFiveDecimals& fixed, const TrackPoints& points) {
    const auto latitude = [&](double v) {
        return fixed(std::clamp(v, -kMaxLatitude, kMaxLatitude));
    };
    const auto longitude = [&](double v) {
        return fixed(std::clamp(v, -kMaxLongitude, kMaxLongitude));
    };
    xml.writeEmptyElement(QStringLiteral("bounds"));
    xml.writeAttribute(QStringLiteral("minlat"), latitude(points.LatMin));
    xml.writeAttribute(QStringLiteral("minlon"), longitude(points.LongMin));
    xml.writeAttribute(QStringLiteral("maxlat"), latitude(points.LatMax));
    xml.writeAttribute(QStringLiteral("maxlon"), longitude(points.LongMax));
}

void writeTrackPoint(QXmlStreamWriter& xml, const FixedFiveDecimals& fixed,
                     const TrackPoints& points, std::size_t i) {
    xml.writeStartElement(QStringLiteral("trkpt"));
    xml.writeAttribute(QStringLiteral("lat"), fixed(points.FRLatitudes[i]));
    xml.writeAttribute(QStringLiteral("lon"), fixed(points.FRLongitudes[i]));
    xml.writeTextElement(QStringLiteral("ele"),
                         QString::number(altitudeInMetres(points.FRAltitudes[i])));
    xml.writeTextElement(QStringLiteral("time"), isoTime(points.FRDateTimes[i]));
    xml.writeEndElement();
}

void writeTrack(QXmlStreamWriter& xml, const QString& name, const TFileInfo& info,
                const TrackPoints& points) {
    xml.writeStartElement(QStringLiteral("trk"));
    xml.writeTextElement(QStringLiteral("name"), name);
    xml.writeTextElement(QStringLiteral("desc"), info.FRType + QStringLiteral(", ") + info.GPSName);
    xml.writeStartElement(QStringLiteral("trkseg"));
    const FixedFiveDecimals fixed;
    for (std::size_t i = 0; i < points.FRTaille(); ++i) writeTrackPoint(xml, fixed, points, i);
    xml.writeEndElement();
    xml.writeEndElement();
}

}  // namespace

WriteResult writeGpxFile(const QString& path, const TrackPoints& points, const TFileInfo& info,
                         const QDateTime& exportMoment) {
    if (!sameLengths(points))
        return WriteResult::failure(QStringLiteral("The track's point arrays differ in length"));
    XmlDocument document(kBytesPerPoint * qsizetype(points.FRTaille()) + kHeaderBytes);
    QXmlStreamWriter& xml = document.writer();
    xml.writeStartElement(QStringLiteral("gpx"));
    writeRootAttributes(xml);
    xml.writeTextElement(QStringLiteral("time"), isoTime(exportMoment.toUTC()));
    writeBounds(xml, FixedFiveDecimals(), points);
    writeTrack(xml, QFileInfo(path).completeBaseName(), info, points);
    xml.writeEndElement();
    return writeNewFile(path, document.finish());
}

}  // namespace kav::exporting
