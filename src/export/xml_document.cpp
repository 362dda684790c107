#include "export/xml_document.h"

#include <QIODevice>

namespace kav::exporting {

namespace {
constexpr int kIndentBlanks = 2;
}

XmlDocument::XmlDocument(qsizetype expectedBytes) : writer_(&bytes_) {
    bytes_.reserve(expectedBytes);
    writer_.setAutoFormatting(true);
    writer_.setAutoFormattingIndent(kIndentBlanks);
    writer_.writeStartDocument(QStringLiteral("1.0"));
}

void XmlDocument::writeRaw(QByteArrayView bytes) {
    // The writer hands each piece to its device at once, so the device's position is its own.
    writer_.device()->write(bytes.data(), bytes.size());
}

QByteArray XmlDocument::finish() {
    writer_.writeEndDocument();
    return bytes_;
}

}  // namespace kav::exporting
