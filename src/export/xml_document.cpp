#include "export/xml_document.h"

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

QByteArray XmlDocument::finish() {
    writer_.writeEndDocument();
    return bytes_;
}

}  // namespace kav::exporting
