#pragma once
// KML 2.0 file: one placemark holding the track as a styled line string.

#include <QString>

#include "export/safe_file_write.h"
#include "log/track_points.h"

namespace kav::exporting {

// Writes every point of points as a new KML file at path (UTF-8, indented by two blanks).
WriteResult writeKmlFile(const QString& path, const kav::log::TrackPoints& points);
// The bytes of that file (named after path), from arrays of the same length.
QByteArray kmlFileBytes(const QString& path, const kav::log::TrackPoints& points);

}  // namespace kav::exporting
