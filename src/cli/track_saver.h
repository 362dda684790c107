#pragma once
// Saving the chosen tracks of a decoded log in the chosen formats under unique default names.

#include <optional>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "export/file_store.h"
#include "export/track_export.h"
#include "flight/log_flights.h"
#include "log/track_list.h"

namespace kav::exporting {
class FileBatch;
}

namespace kav::cli {

struct SaveRequest {
    QString folder;  // created when missing
    std::vector<kav::exporting::TrackFormat> formats;
    std::vector<int> trackNumbers;  // from 1; empty for every track
    bool flightsOnly = false;       // each flight of those tracks instead of each track
    QString serialNumber;
    QString firmware;
    QString hardware;
    QDateTime exportMoment;
    QString pilot;     // the pilot's name for the files' pilot fields, when known
    QString fileStem;  // names the files "<stem>.<ext>" instead of by serial number and date
    // The track (0-based) whose end was not read; its files are named "..._incomplete.<ext>".
    std::optional<std::size_t> incompleteTrack;
};

struct SaveReport {
    QStringList written;         // paths of the files written
    QStringList errors;          // one line per file not written
    std::vector<int> missing;    // listed track numbers the log does not have
    std::size_t trackCount = 0;  // tracks in the log
    QStringList incomplete;      // the files written for a track whose end was not read
    bool noFlight = false;       // flights were asked for and the chosen tracks hold none
    // The log fixes each file written holds, in the order of written.
    std::vector<kav::flight::FixRange> writtenFixes;
    // 73 when a file was not written, 74 with a track whose end was not read, 1 for a track
    // asked for that the log does not have, 0 otherwise.
    int exitStatus() const;
};

// Saves the tracks as one batch: every file durable before this returns.
SaveReport saveTracks(const kav::log::LogCollection& log, const SaveRequest& request,
                      kav::exporting::FileStore& store = kav::exporting::diskStore());

// Tracks added to a batch not yet committed, to be reported once it is.
struct PendingSave {
    struct File {
        std::size_t inBatch = 0;
        std::size_t track = 0;
        bool incomplete = false;
        kav::flight::FixRange fixes;  // the log fixes the file holds
    };
    SaveReport report;
    std::vector<File> files;
};
PendingSave addTracks(const kav::log::LogCollection& log, const SaveRequest& request,
                      kav::exporting::FileBatch& batch);
SaveReport finishSave(PendingSave pending, const kav::exporting::FileBatch& batch);

// Prints the paths written on standard output and every problem on standard error after
// prefix, the files of a track whose end was not read among them; returns the exit status.
// pathsToStderr sends the paths to standard error too (a station keeps standard output for its
// line per logger).
int printSaveReport(const SaveReport& report, const QString& prefix, bool pathsToStderr = false);

}  // namespace kav::cli
