#include "export/track_export.h"

#include <QFileInfo>

#include "export/gac_writer.h"
#include "export/gpx_writer.h"
#include "export/kml_writer.h"
#include "log/track_points.h"

namespace kav::exporting {

std::optional<TrackFormat> formatFromExtension(QStringView extension) {
    if (extension.startsWith(u'.')) extension = extension.mid(1);
    if (extension.compare(u"gac", Qt::CaseInsensitive) == 0) return TrackFormat::Gac;
    if (extension.compare(u"kml", Qt::CaseInsensitive) == 0) return TrackFormat::Kml;
    if (extension.compare(u"gpx", Qt::CaseInsensitive) == 0) return TrackFormat::Gpx;
    return std::nullopt;
}

std::optional<TrackFormat> formatOfPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty()) return std::nullopt;
    return formatFromExtension(suffix);
}

QString extensionOf(TrackFormat format) {
    switch (format) {
        case TrackFormat::Gac:
            return QStringLiteral("gac");
        case TrackFormat::Kml:
            return QStringLiteral("kml");
        case TrackFormat::Gpx:
            return QStringLiteral("gpx");
    }
    return {};
}

WriteResult exportTrack(const kav::log::LogCollection& log, std::size_t trackIndex,
                        TrackFormat format, const TrackExport& header, const QString& path) {
    if (trackIndex >= log.tracks().size())
        return WriteResult::failure(QStringLiteral("There is no track %1.").arg(trackIndex + 1));
    const kav::log::Track& track = log.tracks()[trackIndex];
    if (format == TrackFormat::Gac)
        return writeGacFile(path, header.info, header.Firmware, header.Hardware, log.logData(),
                            track.first, track.last);
    const kav::log::TrackPoints points =
        kav::log::buildTrackPoints(log.logData(), track.first, track.last);
    if (format == TrackFormat::Kml) return writeKmlFile(path, points);
    return writeGpxFile(path, points, header.info, header.exportMoment);
}

}  // namespace kav::exporting
