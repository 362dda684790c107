#pragma once
// Writing a whole buffer to a file, with the system's reason when it cannot be done.

#include <QByteArray>
#include <QFileDevice>

namespace kav::log {

// Writes every byte of bytes to file; false on failure, with file.errorString() giving the
// system's reason. A write that stops short (a full disk) is reported by Qt as a short count
// without a reason: writing the rest makes the system say why.
bool writeWhole(QFileDevice& file, const QByteArray& bytes);

}  // namespace kav::log
