#include "export/track_export.h"

#include <QFileInfo>

#include "export/gac_writer.h"
#include "export/gpx_writer.h"
#include "export/kml_writer.h"

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
    return TrackFiles(log, trackIndex).write(format, header, path);
}

TrackFiles::TrackFiles(const kav::log::LogCollection& log, std::size_t trackIndex)
    : log_(log), trackIndex_(trackIndex) {}

WriteResult TrackFiles::write(TrackFormat format, const TrackExport& header, const QString& path) {
    if (trackIndex_ >= log_.tracks().size())
        return WriteResult::failure(QStringLiteral("There is no track %1.").arg(trackIndex_ + 1));
    if (!converted_) {
        const kav::log::Track& track = log_.tracks()[trackIndex_];
        converted_ = kav::log::convertTrack(log_.logData(), track.first, track.last);
    }
    if (format == TrackFormat::Gac)
        return writeGacFile(path, header.info, header.Firmware, header.Hardware, *converted_);
    if (!points_) points_ = kav::log::buildTrackPoints(*converted_);
    if (format == TrackFormat::Kml) return writeKmlFile(path, *points_);
    return writeGpxFile(path, *points_, header.info, header.exportMoment);
}

}  // namespace kav::exporting
