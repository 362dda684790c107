#pragma once
// KML 2.0 file: one placemark holding the track as a styled line string.

#include <QString>

#include "export/safe_file_write.h"
#include "log/track_points.h"

#include <span>

namespace kav::exporting {

// A named point shown beside the track: a turnpoint of the flight's score.
struct KmlPlacemark {
    QString name;
    double lat = 0, lon = 0;  // degrees
    double metres = 0;
};

// Writes every point of points as a new KML file at path (UTF-8, indented by two blanks); the
// placemarks, when there are any, follow in a folder of their own named folderName.
WriteResult writeKmlFile(const QString& path, const kav::log::TrackPoints& points,
                         std::span<const KmlPlacemark> placemarks = {},
                         const QString& folderName = {});
// The bytes of that file (named after path), from arrays of the same length.
QByteArray kmlFileBytes(const QString& path, const kav::log::TrackPoints& points,
                        std::span<const KmlPlacemark> placemarks = {},
                        const QString& folderName = {});

}  // namespace kav::exporting
