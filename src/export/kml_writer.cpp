#include "export/kml_writer.h"

#include <QFileInfo>
#include <QXmlStreamWriter>

#include "export/xml_document.h"
#include "export/xml_number_format.h"

namespace kav::exporting {

namespace {

const QString kKmlNamespace = QStringLiteral("http://earth.google.com/kml/2.0");
const QString kLineEnd = QStringLiteral("\r\n");
// A coordinate line takes about 30 bytes; the rest of the document about 500.
constexpr qsizetype kBytesPerPoint = 32;
constexpr qsizetype kHeaderBytes = 1024;

// One "longitude,latitude,metres" line per point, each ending in CR LF, after a leading CR LF.
QString coordinatesText(const kav::log::TrackPoints& points) {
    QString text;
    text.reserve(static_cast<qsizetype>(points.FRTaille() * 32 + 2));
    text += kLineEnd;
    const FixedFiveDecimals fixed;
    for (std::size_t i = 0; i < points.FRTaille(); ++i) {
        text += fixed(points.FRLongitudes[i]);
        text += u',';
        text += fixed(points.FRLatitudes[i]);
        text += u',';
        text += QString::number(altitudeInMetres(points.FRAltitudes[i]));
        text += kLineEnd;
    }
    return text;
}

void writePlacemark(QXmlStreamWriter& xml, const QString& baseName,
                    const kav::log::TrackPoints& points) {
    xml.writeStartElement(QStringLiteral("Placemark"));
    xml.writeTextElement(QStringLiteral("visibility"), QStringLiteral("1"));
    xml.writeTextElement(QStringLiteral("name"),
                         baseName.size() > 2 ? baseName.chopped(2) : QString());
    xml.writeStartElement(QStringLiteral("Style"));
    xml.writeTextElement(QStringLiteral("geomColor"), QStringLiteral("ff00ffd5"));
    xml.writeTextElement(QStringLiteral("geomScale"), QStringLiteral("1.7"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("LineString"));
    xml.writeTextElement(QStringLiteral("coordinates"), coordinatesText(points));
    xml.writeEndElement();
    xml.writeEndElement();
}

}  // namespace

WriteResult writeKmlFile(const QString& path, const kav::log::TrackPoints& points) {
    if (points.FRLongitudes.size() != points.FRTaille() ||
        points.FRAltitudes.size() != points.FRTaille())
        return WriteResult::failure(QStringLiteral("The track's point arrays differ in length"));
    const QString baseName = QFileInfo(path).completeBaseName();
    XmlDocument document(kBytesPerPoint * qsizetype(points.FRTaille()) + kHeaderBytes);
    QXmlStreamWriter& xml = document.writer();
    xml.writeStartElement(QStringLiteral("kml"));
    xml.writeDefaultNamespace(kKmlNamespace);
    xml.writeStartElement(QStringLiteral("Document"));
    xml.writeTextElement(QStringLiteral("name"), baseName);
    xml.writeStartElement(QStringLiteral("Folder"));
    xml.writeTextElement(QStringLiteral("name"), QStringLiteral("Tracks"));
    writePlacemark(xml, baseName, points);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    return writeNewFile(path, document.finish());
}

}  // namespace kav::exporting
