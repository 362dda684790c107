#pragma once
// One zip holding a set of files, for a scoring program's bulk import.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kav::exporting {

struct ZipContent {
    QByteArray bytes;  // the whole archive; empty on failure
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// The archive of files, each under its file name (a name met twice gets _1, _2, ...), built in
// memory so it can be saved whole or not at all.
ZipContent zipFiles(const QStringList& files);

}  // namespace kav::exporting
