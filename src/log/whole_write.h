#pragma once
// Writing a whole buffer to a file, with the system's reason when it cannot be done, and on
// the disk before it counts as written: a logger may be cleared once its files are saved.

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace kav::log {

// Writes every byte of bytes to file; false on failure, with file.errorString() giving the
// system's reason. A write that stops short (a full
// disk) is reported by Qt as a short count without a reason: writing the rest makes the system
// say why.
bool writeWhole(QFileDevice& file, const QByteArray& bytes);

// Has the system put what was written to file on the disk; false with its reason otherwise.
bool syncToDisk(QFileDevice& file, QString* reason);

// Puts the folder holding path on the disk, so a file just created or renamed there stays
// after a power cut; false with the system's reason when the disk reports a failure.
bool syncFolderOf(const QString& path, QString* reason);

}  // namespace kav::log
