#pragma once
// All-or-nothing creation of an export file.

#include <QByteArray>
#include <QString>

namespace kav::exporting {

// Outcome of a writer: success, or the text to show the user.
struct WriteResult {
    QString error;
    bool ok() const { return error.isEmpty(); }
    static WriteResult success() { return {}; }
    static WriteResult failure(const QString& text) { return {text}; }
};

// Writes content as a new file at path. The bytes go to a temporary file in the same folder
// that is renamed into place once complete, so a failure leaves no partial file behind.
// An existing file at path is never replaced: that is a failure too.
WriteResult writeNewFile(const QString& path, const QByteArray& content);

}  // namespace kav::exporting
