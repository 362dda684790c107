#include "cli/track_saver.h"

#include <QDir>

#include "cli/track_selection.h"
#include "export/unique_name.h"

namespace kav::cli {

using namespace kav::exporting;

SaveReport saveTracks(const kav::log::LogCollection& log, const SaveRequest& request) {
    SaveReport report;
    const TrackChoice choice = chooseTracks(request.trackNumbers, log.tracks().size());
    report.missing = choice.missing;
    report.trackCount = log.tracks().size();
    if (choice.indices.empty()) return report;
    if (!QDir().mkpath(request.folder)) {
        report.errors << QStringLiteral("cannot create the folder %1").arg(request.folder);
        return report;
    }
    TrackExport header;
    header.info = fillFileInfo(kSoftFirmware, request.exportMoment.toLocalTime().date());
    header.Firmware = request.firmware;
    header.Hardware = request.hardware;
    header.exportMoment = request.exportMoment;
    const QDir folder(request.folder);
    for (std::size_t index : choice.indices) {
        for (TrackFormat format : request.formats) {
            const QString name =
                defaultTrackFileName(request.serialNumber, log.tracks()[index].start, format);
            WriteResult result;
            const QString path =
                writeUnderUniqueName(folder.filePath(name), {}, [&](const QString& free) {
                    result = exportTrack(log, index, format, header, free);
                    return result.nameTaken;
                });
            if (result.ok())
                report.written << path;
            else
                report.errors << QStringLiteral("track %1: %2").arg(index + 1).arg(result.error);
        }
    }
    return report;
}

}  // namespace kav::cli
