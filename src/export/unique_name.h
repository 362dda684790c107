#pragma once
// Output names that never replace an existing file.

#include <functional>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "export/track_export.h"
#include "log/fix_types.h"
#include "log/raw_log_file.h"

namespace kav::exporting {

// The first of path, stem_1.ext, stem_2.ext, ... that names no existing file, nor any existing
// file name + companion suffix (a raw log's side file); the counter has no upper limit. The
// extension is what follows the last "." of the file name, if any.
QString uniqueFileName(const QString& path, const QStringList& companions = {});
// The same, a name counting as taken when taken answers so.
using NameTakenTest = std::function<bool(const QString& name)>;
QString uniqueFileName(const QString& path, const QStringList& companions,
                       const NameTakenTest& taken);

// Answers whether a write under name failed because the name was taken in the meantime.
using NameWrite = std::function<bool(const QString& name)>;

// Writes under the first free name for path (as uniqueFileName gives it), and under the next
// free one each time write answers that another program took the name between the check and
// the write. Returns the name of the last write.
QString writeUnderUniqueName(const QString& path, const QStringList& companions,
                             const NameWrite& write);

struct SavedRawLog {
    QString path;  // where it was saved, or tried last
    kav::log::RawLogResult result;
};

// Saves a logger's memory as a new raw log under the first free name for wanted, the raw file
// and its side file counted as one name.
SavedRawLog saveRawLogUnique(const QString& wanted, const QByteArray& memory,
                             const kav::log::RawLogIdentity& identity);

class FileBatch;

// Adds a logger's memory to batch as a new raw log under the first free name for wanted, the
// raw file and its side file one name; returns its number in the batch.
std::size_t addRawLog(FileBatch& batch, const QString& wanted, const QByteArray& memory,
                      const kav::log::RawLogIdentity& identity);
// What became of raw log n of a committed batch.
SavedRawLog savedRawLog(const FileBatch& batch, std::size_t n, const QByteArray& memory,
                        const kav::log::RawLogIdentity& identity);

// serialNumber made safe for a file name: characters other than ASCII letters, digits, "-" and
// "_" become "_"; "log" for an empty serial number.
QString serialNumberForFileName(const QString& serialNumber);

// The command line's default name of a track file: <serial>_<UTC start yyyy-MM-dd_HHmmss>.<ext>,
// the serial number as serialNumberForFileName gives it. An IGC file takes the IGC long name
// (igcFileName) with flightOfDay.
QString defaultTrackFileName(const QString& serialNumber, kav::log::DateTime start,
                             TrackFormat format, int flightOfDay = 1);

}  // namespace kav::exporting
