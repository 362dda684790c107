#include "export/kml_writer.h"

#include <charconv>
#include <cmath>

#include <QFileInfo>
#include <QXmlStreamWriter>

#include "export/chunk_writer.h"
#include "export/xml_document.h"
#include "export/xml_number_format.h"

namespace kav::exporting {

namespace {

const QString kKmlNamespace = QStringLiteral("http://earth.google.com/kml/2.0");
const QString kLineEnd = QStringLiteral("\r\n");
// A coordinate line takes about 25 bytes; the rest of the document about 500.
constexpr qsizetype kBytesPerPoint = 32;
constexpr qsizetype kHeaderBytes = 1024;

// Longitude, latitude, altitude, CR LF: at most two numbers of any size and a 64-bit one.
constexpr std::size_t kMaxLineBytes = 2 * kFiveDecimalsMaxBytes + 32;

char* writeCoordinateLine(char* out, double longitude, double latitude, int32_t xAlti) {
    out = writeFiveDecimals(out, longitude);
    *out++ = ',';
    out = writeFiveDecimals(out, latitude);
    *out++ = ',';
    out = std::to_chars(out, out + 24, altitudeInMetres(xAlti)).ptr;
    return writeText(out, "\r\n");
}

// The coordinates element: a CR LF, then one "longitude,latitude,metres" line per point, each
// ending in CR LF. The writer opens and closes it; the lines go in raw, in large pieces.
void writeCoordinates(XmlDocument& document, const kav::log::TrackPoints& points) {
    QXmlStreamWriter& xml = document.writer();
    xml.writeStartElement(QStringLiteral("coordinates"));
    xml.writeCharacters(kLineEnd);
    ChunkWriter chunks([&document](QByteArrayView piece) { document.writeRaw(piece); });
    for (std::size_t i = 0; i < points.FRTaille(); ++i)
        chunks.advance(writeCoordinateLine(chunks.room(kMaxLineBytes), points.FRLongitudes[i],
                                           points.FRLatitudes[i], points.FRAltitudes[i]));
    chunks.flush();
    xml.writeEndElement();
}

void writePlacemark(XmlDocument& document, const QString& baseName,
                    const kav::log::TrackPoints& points) {
    QXmlStreamWriter& xml = document.writer();
    xml.writeStartElement(QStringLiteral("Placemark"));
    xml.writeTextElement(QStringLiteral("visibility"), QStringLiteral("1"));
    xml.writeTextElement(QStringLiteral("name"),
                         baseName.size() > 2 ? baseName.chopped(2) : QString());
    xml.writeStartElement(QStringLiteral("Style"));
    xml.writeTextElement(QStringLiteral("geomColor"), QStringLiteral("ff00ffd5"));
    xml.writeTextElement(QStringLiteral("geomScale"), QStringLiteral("1.7"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("LineString"));
    writeCoordinates(document, points);
    xml.writeEndElement();
    xml.writeEndElement();
}

// <Folder><name/><Placemark><name/><Point><coordinates>lon,lat,metres</coordinates></Point>
// </Placemark>...</Folder>, coordinates written as the track's are.
void writePlacemarks(XmlDocument& document, std::span<const KmlPlacemark> placemarks,
                     const QString& folderName) {
    QXmlStreamWriter& xml = document.writer();
    xml.writeStartElement(QStringLiteral("Folder"));
    xml.writeTextElement(QStringLiteral("name"), folderName);
    for (const KmlPlacemark& p : placemarks) {
        xml.writeStartElement(QStringLiteral("Placemark"));
        xml.writeTextElement(QStringLiteral("name"), p.name);
        xml.writeStartElement(QStringLiteral("Point"));
        char line[kMaxLineBytes];
        char* end = writeFiveDecimals(line, p.lon);
        *end++ = ',';
        end = writeFiveDecimals(end, p.lat);
        *end++ = ',';
        end = std::to_chars(end, line + sizeof line, std::lround(p.metres)).ptr;
        xml.writeTextElement(QStringLiteral("coordinates"),
                             QString::fromLatin1(line, qsizetype(end - line)));
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

}  // namespace

WriteResult writeKmlFile(const QString& path, const kav::log::TrackPoints& points,
                         std::span<const KmlPlacemark> placemarks, const QString& folderName) {
    if (points.FRLongitudes.size() != points.FRTaille() ||
        points.FRAltitudes.size() != points.FRTaille())
        return WriteResult::failure(QStringLiteral("The track's point arrays differ in length"));
    return writeNewFile(path, kmlFileBytes(path, points, placemarks, folderName));
}

QByteArray kmlFileBytes(const QString& path, const kav::log::TrackPoints& points,
                        std::span<const KmlPlacemark> placemarks, const QString& folderName) {
    const QString baseName = QFileInfo(path).completeBaseName();
    XmlDocument document(kBytesPerPoint * qsizetype(points.FRTaille()) + kHeaderBytes);
    QXmlStreamWriter& xml = document.writer();
    xml.writeStartElement(QStringLiteral("kml"));
    xml.writeDefaultNamespace(kKmlNamespace);
    xml.writeStartElement(QStringLiteral("Document"));
    xml.writeTextElement(QStringLiteral("name"), baseName);
    xml.writeStartElement(QStringLiteral("Folder"));
    xml.writeTextElement(QStringLiteral("name"), QStringLiteral("Tracks"));
    writePlacemark(document, baseName, points);
    xml.writeEndElement();
    if (!placemarks.empty()) writePlacemarks(document, placemarks, folderName);
    xml.writeEndElement();
    xml.writeEndElement();
    return document.finish();
}

}  // namespace kav::exporting
