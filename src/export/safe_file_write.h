#pragma once
// All-or-nothing creation of an export file.

#include <QByteArray>
#include <QString>

namespace kav::exporting {

// Outcome of a writer: success, or the text to show the user.
struct WriteResult {
    QString error;
    bool nameTaken = false;  // failed because a file of that name exists
    bool ok() const { return error.isEmpty(); }
    static WriteResult success() { return {}; }
    static WriteResult failure(const QString& text) { return {text}; }
    static WriteResult taken(const QString& text) { return {text, true}; }
};

// Writes content as a new file at path. The bytes go to a temporary file in the same folder
// that is renamed into place once complete and on the disk, so a failure leaves no partial
// file behind and a success survives a power cut.
// An existing file at path is never replaced: that is a failure too, with nameTaken set, even
// when another program creates the file while this one writes.
WriteResult writeNewFile(const QString& path, const QByteArray& content);

}  // namespace kav::exporting
