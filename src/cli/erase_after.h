#pragma once
// Clearing a logger once its download is saved, and making sure it took.

#include <QString>

namespace kav::cli {

class InterruptNotifier;

// Clears the memory of the logger on port, then connects again and asks for its status; true
// only when it then reports no sector used. why says what went wrong otherwise.
bool clearAndConfirm(const QString& port, const QString& command, InterruptNotifier* interrupt,
                     QString* why);

}  // namespace kav::cli
