#include "export/track_export.h"

#include <algorithm>

#include <QFileInfo>

#include "export/gac_writer.h"
#include "export/gpx_writer.h"
#include "export/igc_writer.h"
#include "export/kml_writer.h"
#include "log/gps_time.h"

namespace kav::exporting {

std::optional<TrackFormat> formatFromExtension(QStringView extension) {
    if (extension.startsWith(u'.')) extension = extension.mid(1);
    if (extension.compare(u"gac", Qt::CaseInsensitive) == 0) return TrackFormat::Gac;
    if (extension.compare(u"kml", Qt::CaseInsensitive) == 0) return TrackFormat::Kml;
    if (extension.compare(u"gpx", Qt::CaseInsensitive) == 0) return TrackFormat::Gpx;
    if (extension.compare(u"igc", Qt::CaseInsensitive) == 0) return TrackFormat::Igc;
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
        case TrackFormat::Igc:
            return QStringLiteral("igc");
    }
    return {};
}

namespace {

QDate utcDate(kav::log::DateTime t) {
    return kav::log::toQDateTime(t).date();
}

}  // namespace

int trackOfDay(const kav::log::LogCollection& log, std::size_t trackIndex) {
    const auto& tracks = log.tracks();
    if (trackIndex >= tracks.size()) return 1;
    const QDate date = utcDate(tracks[trackIndex].start);
    int number = 0;
    for (std::size_t i = 0; i <= trackIndex; ++i)
        if (utcDate(tracks[i].start) == date) ++number;
    return number;
}

WriteResult exportTrack(const kav::log::LogCollection& log, std::size_t trackIndex,
                        TrackFormat format, const TrackExport& header, const QString& path) {
    return TrackFiles(log, trackIndex).write(format, header, path);
}

TrackFiles::TrackFiles(const kav::log::LogCollection& log, std::size_t trackIndex)
    : log_(log), trackIndex_(trackIndex) {}

TrackFiles::TrackFiles(const kav::log::LogCollection& log, std::size_t trackIndex,
                       std::size_t first, std::size_t last)
    : log_(log), trackIndex_(trackIndex), first_(first), last_(last) {}

WriteResult TrackFiles::write(TrackFormat format, const TrackExport& header, const QString& path) {
    if (trackIndex_ >= log_.tracks().size())
        return WriteResult::failure(QStringLiteral("There is no track %1.").arg(trackIndex_ + 1));
    return writeNewFile(path, content(format, header, path));
}

QByteArray TrackFiles::content(TrackFormat format, const TrackExport& header, const QString& path) {
    if (trackIndex_ >= log_.tracks().size()) return {};
    if (!converted_) {
        const kav::log::Track& track = log_.tracks()[trackIndex_];
        converted_ = kav::log::convertTrack(log_.logData(), std::max(track.first, first_),
                                            std::min(track.last, last_));
    }
    if (format == TrackFormat::Gac)
        return gacFileBytes(header.info, header.Firmware, header.Hardware, *converted_);
    if (format == TrackFormat::Igc) return igcFileBytes(igcHeader(header), *converted_);
    if (!points_) points_ = kav::log::buildTrackPoints(*converted_);
    if (format == TrackFormat::Kml)
        return kmlFileBytes(path, *points_, header.placemarks, header.placemarkFolder);
    return gpxFileBytes(path, *points_, header.info, header.exportMoment);
}

IgcHeader TrackFiles::igcHeader(const TrackExport& header) const {
    IgcHeader igc;
    igc.serialNumber = header.serialNumber;
    igc.pilot = header.info.Pilot;
    igc.firmware = header.Firmware;
    igc.hardware = header.Hardware;
    igc.flightOfDay = header.flightOfDay.value_or(trackOfDay(log_, trackIndex_));
    igc.fallbackDate = header.exportMoment.toUTC().date();
    return igc;
}

}  // namespace kav::exporting
