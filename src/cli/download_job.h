#pragma once
// The work shared by download, watch and demo: read one logger's memory and save its tracks
// (and, when asked, the memory as read).

#include <functional>

#include <QByteArray>
#include <QCommandLineOption>
#include <QMutex>
#include <QSet>
#include <QString>

#include "cli/pilot_list.h"
#include "cli/track_saver.h"
#include "link/transport.h"
#include "session/transfer_speed.h"

namespace kav::session {
class DownloadSession;
}

namespace kav::cli {

class InterruptNotifier;

// Which loggers' memories were saved whole, by serial number and a digest of the bytes; safe to
// use from several threads at once.
class SavedMemories {
  public:
    bool contains(const QString& serialNumber, const QByteArray& memory) const;
    void add(const QString& serialNumber, const QByteArray& memory);

  private:
    static QByteArray key(const QString& serialNumber, const QByteArray& memory);
    mutable QMutex mutex_;
    QSet<QByteArray> saved_;
};

struct DownloadJob {
    QString port;
    SaveRequest save;              // serial number and versions are filled from the logger
    bool folderPerSerial = false;  // save into save.folder/<serial number>/
    QString rawPath;               // save the memory as read here (made unique), if not empty
    QString tracePath;             // byte trace, if not empty
    bool showProgress = false;
    kav::session::TransferSpeed speed = kav::session::TransferSpeed::Fast;
    // Save the memory as read beside the tracks, in their folder (as <serial number>.bin, or
    // <name>.<id>.bin after the pilot).
    bool rawInFolder = false;
    // Clear the logger once every sector was read and every file is on the disk.
    bool eraseAfter = false;
    // The paths written go to standard error rather than standard output.
    bool pathsToStderr = false;
    // The memories saved whole before (shared by a station's jobs): one met again is not saved
    // twice.
    SavedMemories* savedBefore = nullptr;
    // Names the folder after the logger's pilot when the list has it (with folderPerSerial).
    const PilotList* pilots = nullptr;
    // The logbook the flights read go to once the files are saved; empty for none.
    QString logbookPath;
    NameStyle nameStyle = NameStyle::NameDotId;
    // The file system the files are saved through; the disk when null.
    kav::exporting::FileStore* store = nullptr;
    // Called on every sector read (from the thread running the job).
    std::function<void(int sectorsRead, int sectorsToRead)> onProgress;
};

// What became of one logger, for the station's line about it.
struct JobReport {
    QString serialNumber;
    QString folder;
    int sectorsRead = 0;
    int sectorsExpected = 0;
    int filesWritten = 0;
    QStringList igcFiles;  // the IGC files written
    int tracks = 0;
    int flights = 0;  // found in the tracks
    bool complete = false;
    bool alreadyDone = false;  // the same memory was saved whole before: nothing saved
    QString why;               // why it is incomplete or not saved
    bool cleared = false;
    QString notCleared;  // why it was not cleared, when clearing was asked for
};

// --erase-after, for download and watch.
QCommandLineOption eraseAfterOption();

// Runs the job; messages go to standard error, the paths written to standard output.
// Returns the exit status: 0 only when the whole memory was read and every file written.
// What was read before a failure or an interruption is still saved, the track whose end was
// not read under a name that says so; a file not written gives 73 before anything else.
int runDownloadJob(const DownloadJob& job, kav::link::Transport& transport,
                   InterruptNotifier* interrupt, const QString& command,
                   JobReport* report = nullptr);

// Saves the session's memory as read under a unique name made from wanted (and its side file);
// prints the path, or the error after prefix.
bool saveRawCopy(const QString& wanted, const kav::session::DownloadSession& session,
                 const QString& prefix, bool pathToStderr = false);

// The folder name for a logger's serial number ("unknown" when empty).
QString serialFolderName(const QString& serialNumber);

}  // namespace kav::cli
