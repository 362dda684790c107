#include "cli/track_saver.h"

#include <QDir>

#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/track_selection.h"
#include "export/unique_name.h"

namespace kav::cli {

using namespace kav::exporting;

namespace {

// "name_incomplete.ext": the name says the track's end was not read.
QString incompleteName(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name + QStringLiteral("_incomplete")
                   : name.left(dot) + QStringLiteral("_incomplete") + name.mid(dot);
}

}  // namespace

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
        TrackFiles files(log, index);
        for (TrackFormat format : request.formats) {
            const bool incomplete = request.incompleteTrack == index;
            QString name =
                defaultTrackFileName(request.serialNumber, log.tracks()[index].start, format);
            if (incomplete) name = incompleteName(name);
            WriteResult result;
            const QString path =
                writeUnderUniqueName(folder.filePath(name), {}, [&](const QString& free) {
                    result = files.write(format, header, free);
                    return result.nameTaken;
                });
            if (result.ok()) {
                report.written << path;
                if (incomplete) report.incomplete << path;
            } else {
                report.errors << QStringLiteral("track %1: %2").arg(index + 1).arg(result.error);
            }
        }
    }
    return report;
}

int SaveReport::exitStatus() const {
    if (!errors.isEmpty()) return kExitCannotWrite;
    if (!incomplete.isEmpty()) return kExitIoError;
    return missing.empty() ? kExitOk : kExitFailure;
}

int printSaveReport(const SaveReport& report, const QString& prefix, bool pathsToStderr) {
    for (const QString& path : report.written) pathsToStderr ? printErr(path) : printOut(path);
    for (const QString& error : report.errors) printErr(prefix + error);
    if (!report.missing.empty())
        printErr(prefix + missingTracksText(report.missing, report.trackCount));
    for (const QString& path : report.incomplete)
        printErr(prefix + QStringLiteral("incomplete track, its end was not read: %1").arg(path));
    return report.exitStatus();
}

}  // namespace kav::cli
