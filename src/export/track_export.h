#pragma once
// Saving one track of a decoded log in one format: the single path used by the window and the
// command line, so both give the same file for the same track.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringView>

#include "export/file_info.h"
#include "export/igc_writer.h"
#include "export/kml_writer.h"
#include "export/safe_file_write.h"
#include "kav/version.h"
#include "log/track_list.h"
#include "log/track_points.h"

namespace kav::exporting {

// The program's own version text, trailing blank included, as written into the export header.
inline const QString kSoftFirmware = QStringLiteral(KAV_VERSION " ");

enum class TrackFormat { Gac, Kml, Gpx, Igc };

// "gac", "kml", "gpx" or "igc" in any case, with or without the leading dot.
std::optional<TrackFormat> formatFromExtension(QStringView extension);
// The format of a file name by its extension.
std::optional<TrackFormat> formatOfPath(const QString& path);
// "gac", "kml", "gpx" or "igc".
QString extensionOf(TrackFormat format);

struct TrackExport {
    TFileInfo info;    // the export header (fillFileInfo)
    QString Firmware;  // the logger's version texts, for the GAC header
    QString Hardware;
    QDateTime exportMoment;  // the GPX creation time
    QString serialNumber;    // the logger's, for the IGC recorder id and file name
    // The IGC flight number of the day; by default the track's number among the log's tracks
    // of the same UTC date.
    std::optional<int> flightOfDay;
    // KML: points shown beside the track in a folder of their own (the flight's score).
    std::vector<KmlPlacemark> placemarks;
    QString placemarkFolder;
};

// The number of track trackIndex among the tracks of log that start on its UTC date, from 1.
int trackOfDay(const kav::log::LogCollection& log, std::size_t trackIndex);

// Writes track trackIndex (0-based) of log as a new file at path: GAC from the track's fixes,
// KML and GPX from its plotted points. An existing file is never replaced.
WriteResult exportTrack(const kav::log::LogCollection& log, std::size_t trackIndex,
                        TrackFormat format, const TrackExport& header, const QString& path);

// One track saved in several formats: its fixes are converted once, on the first write, and
// its plotted points built once, for the first KML or GPX file.
class TrackFiles {
  public:
    TrackFiles(const kav::log::LogCollection& log, std::size_t trackIndex);
    // Only fixes first..last of the log (clipped to the track).
    TrackFiles(const kav::log::LogCollection& log, std::size_t trackIndex, std::size_t first,
               std::size_t last);
    // The same file exportTrack writes.
    WriteResult write(TrackFormat format, const TrackExport& header, const QString& path);
    // The bytes of that file, for a batch of files (empty for a track the log lacks).
    QByteArray content(TrackFormat format, const TrackExport& header, const QString& path);

  private:
    IgcHeader igcHeader(const TrackExport& header) const;

    const kav::log::LogCollection& log_;
    std::size_t trackIndex_;
    std::size_t first_ = 0;
    std::size_t last_ = SIZE_MAX;
    std::optional<kav::log::ConvertedTrack> converted_;
    std::optional<kav::log::TrackPoints> points_;
};

}  // namespace kav::exporting
