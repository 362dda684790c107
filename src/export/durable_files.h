#pragma once
// The system calls that make new files durable, one file per system (POSIX, Windows).

#include <QString>
#include <QStringList>

#include "export/file_store.h"

namespace kav::exporting::platform {

// Starts putting the data written through handle on the disk, without waiting for it.
void startWriteback(int handle);
// Waits until the data of every file of paths is on the disk.
bool flushData(const QStringList& paths, QString* reason);
// Renames from to to in one step that never replaces a file at to.
RenameOutcome renameNoReplace(const QString& from, const QString& to, QString* reason);

}  // namespace kav::exporting::platform
