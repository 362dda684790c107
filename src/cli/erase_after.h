#pragma once
// Clearing a logger once its download is saved, and making sure it took.

#include <QString>

#include "session/download_session.h"

namespace kav::cli {

class InterruptNotifier;

// Connects to port and clears the logger's memory when its serial number and used sectors,
// asked again on this connection, are saved's; true once the clear is acknowledged and the
// status on the same connection shows no sector used; why says what went wrong otherwise.
bool clearIfStillSaved(const QString& port, const kav::session::SavedMemory& saved,
                       const QString& command, InterruptNotifier* interrupt, QString* why);

// Clears the memory of the logger on port when its serial number and used sectors, asked again
// on the connection that clears, are saved's; then connects again and asks for its status. True
// only when it then reports no sector used; why says what went wrong otherwise (another logger
// found on the port is left alone).
bool clearAndConfirm(const QString& port, const kav::session::SavedMemory& saved,
                     const QString& command, InterruptNotifier* interrupt, QString* why);

}  // namespace kav::cli
