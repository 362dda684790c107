#include "export/gpx_writer.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include <QFileInfo>
#include <QXmlStreamWriter>

#include "export/chunk_writer.h"
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

// Each point's own UTC date and time, to the second, as yyyy-mm-ddTHH:MM:SSZ; the date's text
// is made once per day rather than once per point.
class PointTimes {
  public:
    char* write(char* out, kav::log::DateTime when) {
        const int64_t seconds = kav::log::wholeSeconds(when);
        const int64_t day = seconds / kSecondsPerDay - (seconds % kSecondsPerDay < 0 ? 1 : 0);
        if (day != day_) {
            day_ = day;
            // The text of the day's midnight without its "HH:MM:SSZ".
            dateBytes_ = SecToIso8601(date_, kDayZero.addDays(day), 0) - date_ - kClockBytes;
        }
        out = std::copy_n(date_, dateBytes_, out);
        out = SecToHms2(out, int32_t(seconds - day * kSecondsPerDay));
        *out++ = 'Z';
        return out;
    }
    QString text(kav::log::DateTime when) {
        char text[kIso8601MaxBytes];
        return QString::fromLatin1(text, write(text, when) - text);
    }

  private:
    static constexpr std::ptrdiff_t kClockBytes = 9;
    int64_t day_ = std::numeric_limits<int64_t>::min();
    char date_[kIso8601MaxBytes] = {};
    std::ptrdiff_t dateBytes_ = 0;
};

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
void writeBounds(QXmlStreamWriter& xml, const TrackPoints& points) {
    const auto latitude = [](double v) {
        return fiveDecimals(std::clamp(v, -kMaxLatitude, kMaxLatitude));
    };
    const auto longitude = [](double v) {
        return fiveDecimals(std::clamp(v, -kMaxLongitude, kMaxLongitude));
    };
    xml.writeEmptyElement(QStringLiteral("bounds"));
    xml.writeAttribute(QStringLiteral("minlat"), latitude(points.LatMin));
    xml.writeAttribute(QStringLiteral("minlon"), longitude(points.LongMin));
    xml.writeAttribute(QStringLiteral("maxlat"), latitude(points.LatMax));
    xml.writeAttribute(QStringLiteral("maxlon"), longitude(points.LongMax));
}

// A point's text: two numbers of any size, a 64-bit integer, a time and the markup.
constexpr std::size_t kMaxPointBytes = 2 * kFiveDecimalsMaxBytes + kIso8601MaxBytes + 160;

// One trkpt through the writer: it closes the trkseg start tag, which no raw text can do.
void writeTrackPoint(QXmlStreamWriter& xml, const TrackPoints& points, PointTimes& times,
                     std::size_t i) {
    xml.writeStartElement(QStringLiteral("trkpt"));
    xml.writeAttribute(QStringLiteral("lat"), fiveDecimals(points.FRLatitudes[i]));
    xml.writeAttribute(QStringLiteral("lon"), fiveDecimals(points.FRLongitudes[i]));
    xml.writeTextElement(QStringLiteral("ele"),
                         QString::number(altitudeInMetres(points.FRAltitudes[i])));
    xml.writeTextElement(QStringLiteral("time"), times.text(points.FRDateTimes[i]));
    xml.writeEndElement();
}

// The same trkpt as raw text, indented as the writer indents it at depth 3.
char* writeRawTrackPoint(char* out, const TrackPoints& points, PointTimes& times, std::size_t i) {
    out = writeText(out, "\n      <trkpt lat=\"");
    out = writeFiveDecimals(out, points.FRLatitudes[i]);
    out = writeText(out, "\" lon=\"");
    out = writeFiveDecimals(out, points.FRLongitudes[i]);
    out = writeText(out, "\">\n        <ele>");
    out = std::to_chars(out, out + 24, altitudeInMetres(points.FRAltitudes[i])).ptr;
    out = writeText(out, "</ele>\n        <time>");
    out = times.write(out, points.FRDateTimes[i]);
    return writeText(out, "</time>\n      </trkpt>");
}

// The segment: its first point through the writer, the others raw in large pieces.
void writeSegment(XmlDocument& document, const TrackPoints& points) {
    QXmlStreamWriter& xml = document.writer();
    xml.writeStartElement(QStringLiteral("trkseg"));
    PointTimes times;
    if (!points.empty()) writeTrackPoint(xml, points, times, 0);
    ChunkWriter chunks([&document](QByteArrayView piece) { document.writeRaw(piece); });
    for (std::size_t i = 1; i < points.FRTaille(); ++i)
        chunks.advance(writeRawTrackPoint(chunks.room(kMaxPointBytes), points, times, i));
    chunks.flush();
    xml.writeEndElement();
}

void writeTrack(XmlDocument& document, const QString& name, const TFileInfo& info,
                const TrackPoints& points) {
    QXmlStreamWriter& xml = document.writer();
    xml.writeStartElement(QStringLiteral("trk"));
    xml.writeTextElement(QStringLiteral("name"), name);
    xml.writeTextElement(QStringLiteral("desc"), info.FRType + QStringLiteral(", ") + info.GPSName);
    writeSegment(document, points);
    xml.writeEndElement();
}

}  // namespace

WriteResult writeGpxFile(const QString& path, const TrackPoints& points, const TFileInfo& info,
                         const QDateTime& exportMoment) {
    if (!sameLengths(points))
        return WriteResult::failure(QStringLiteral("The track's point arrays differ in length"));
    return writeNewFile(path, gpxFileBytes(path, points, info, exportMoment));
}

QByteArray gpxFileBytes(const QString& path, const TrackPoints& points, const TFileInfo& info,
                        const QDateTime& exportMoment) {
    XmlDocument document(kBytesPerPoint * qsizetype(points.FRTaille()) + kHeaderBytes);
    QXmlStreamWriter& xml = document.writer();
    xml.writeStartElement(QStringLiteral("gpx"));
    writeRootAttributes(xml);
    xml.writeTextElement(QStringLiteral("time"), isoTime(exportMoment.toUTC()));
    writeBounds(xml, points);
    writeTrack(document, QFileInfo(path).completeBaseName(), info, points);
    xml.writeEndElement();
    return document.finish();
}

}  // namespace kav::exporting
