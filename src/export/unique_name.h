#pragma once
// Output names that never replace an existing file.

#include <QString>

#include "export/track_export.h"
#include "log/fix_types.h"

namespace kav::exporting {

// The first of path, stem_1.ext, stem_2.ext, ... that names no existing file; the counter has
// no upper limit. The extension is what follows the last "." of the file name, if any.
QString uniqueFileName(const QString& path);

// serialNumber made safe for a file name: characters other than ASCII letters, digits, "-" and
// "_" become "_"; "log" for an empty serial number.
QString serialNumberForFileName(const QString& serialNumber);

// The command line's default name of a track file: <serial>_<UTC start yyyy-MM-dd_HHmmss>.<ext>,
// the serial number as serialNumberForFileName gives it.
QString defaultTrackFileName(const QString& serialNumber, kav::log::DateTime start,
                             TrackFormat format);

}  // namespace kav::exporting
