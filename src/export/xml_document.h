#pragma once
// In-memory UTF-8 XML document with the export files' declaration and indentation.

#include <QByteArray>
#include <QByteArrayView>
#include <QXmlStreamWriter>

namespace kav::exporting {

class XmlDocument {
  public:
    // Starts the document: declaration version 1.0, UTF-8, auto-indent by two blanks.
    // expectedBytes reserves room up front, so the many small writes never reallocate.
    explicit XmlDocument(qsizetype expectedBytes = 0);
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    QXmlStreamWriter& writer() { return writer_; }
    // Writes bytes the caller has made well-formed, as they are, where the writer stands: the
    // bulk of points, whose markup is fixed and whose texts need no escaping.
    void writeRaw(QByteArrayView bytes);
    // Closes every open element and returns the document's bytes.
    QByteArray finish();

  private:
    QByteArray bytes_;
    QXmlStreamWriter writer_;
};

}  // namespace kav::exporting
