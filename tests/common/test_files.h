#pragma once
// Small file helpers shared by the tests that check written track files.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QXmlStreamReader>

namespace kav::testing {

// The whole file, or nothing when it cannot be read.
inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// How many elements of that name the document holds; -1 when it is not well-formed XML.
inline int countElements(const QByteArray& xml, const QString& name) {
    QXmlStreamReader reader(xml);
    int n = 0;
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == name) ++n;
    return reader.hasError() ? -1 : n;
}

}  // namespace kav::testing
