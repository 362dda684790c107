#pragma once
// The work shared by download, watch and demo: read one logger's memory and save its tracks
// (and, when asked, the memory as read).

#include <QString>

#include "cli/track_saver.h"
#include "link/transport.h"
#include "session/transfer_speed.h"

namespace kav::session {
class DownloadSession;
}

namespace kav::cli {

class InterruptNotifier;

struct DownloadJob {
    QString port;
    SaveRequest save;              // serial number and versions are filled from the logger
    bool folderPerSerial = false;  // save into save.folder/<serial number>/
    QString rawPath;               // save the memory as read here (made unique), if not empty
    QString tracePath;             // byte trace, if not empty
    bool showProgress = false;
    kav::session::TransferSpeed speed = kav::session::TransferSpeed::Fast;
};

// Runs the job; messages go to standard error, the paths written to standard output.
// Returns the exit status: 0 only when the whole memory was read and every file written.
// What was read before a failure or an interruption is still saved, the track whose end was
// not read under a name that says so; a file not written gives 73 before anything else.
int runDownloadJob(const DownloadJob& job, kav::link::Transport& transport,
                   InterruptNotifier* interrupt, const QString& command);

// Saves the session's memory as read under a unique name made from wanted (and its side file);
// prints the path, or the error after prefix.
bool saveRawCopy(const QString& wanted, const kav::session::DownloadSession& session,
                 const QString& prefix);

// The folder name for a logger's serial number ("unknown" when empty).
QString serialFolderName(const QString& serialNumber);

}  // namespace kav::cli
