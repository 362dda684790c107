#pragma once
// GPX 1.0 file: creation time, bounds and one track segment with every point.

#include <QDateTime>
#include <QString>

#include "export/file_info.h"
#include "export/safe_file_write.h"
#include "log/track_points.h"

namespace kav::exporting {

// Writes every point of points as a new GPX file at path (UTF-8, indented by two blanks).
// The root time is exportMoment in UTC; each point carries its own UTC date and time.
// Uses info.FRType and info.GPSName for the track description.
WriteResult writeGpxFile(const QString& path, const kav::log::TrackPoints& points,
                         const TFileInfo& info, const QDateTime& exportMoment);
// The bytes of that file (its track named after path), from arrays of the same length.
QByteArray gpxFileBytes(const QString& path, const kav::log::TrackPoints& points,
                        const TFileInfo& info, const QDateTime& exportMoment);

}  // namespace kav::exporting
