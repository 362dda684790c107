#include "cli/track_saver.h"

#include <algorithm>
#include <optional>

#include <QDir>
#include <QFileInfo>

#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/track_selection.h"
#include "export/export_flow.h"
#include "export/file_batch.h"
#include "export/unique_name.h"
#include "flight/log_flights.h"
#include "flight/score_placemarks.h"

namespace kav::cli {

using namespace kav::exporting;

namespace {

// One file's worth of a track: the whole track, or one flight with its margins.
struct Piece {
    std::size_t track = 0;
    kav::flight::FixRange fixes;
    kav::log::DateTime start = 0;
    int ofDay = 1;
    std::optional<kav::flight::Flight> flight;  // a flight's piece: its KML shows its score
};

std::vector<Piece> piecesToSave(const kav::log::LogCollection& log,
                                const std::vector<std::size_t>& tracks, bool flightsOnly) {
    std::vector<Piece> pieces;
    if (!flightsOnly) {
        for (std::size_t t : tracks) {
            const kav::log::Track& track = log.tracks()[t];
            pieces.push_back(
                {t, {track.first, track.last}, track.start, trackOfDay(log, t), std::nullopt});
        }
        return pieces;
    }
    const auto flights = kav::flight::findLogFlights(log);
    for (std::size_t t : tracks)
        for (std::size_t k = 0; k < flights[t].size(); ++k) {
            const auto range =
                kav::flight::savedFixes(log.logData(), log.tracks()[t], flights[t][k]);
            pieces.push_back({t, range, flights[t][k].takeoffTime,
                              kav::flight::flightOfDay(flights, t, k), flights[t][k]});
        }
    return pieces;
}

// A flight saved as KML carries its score's turnpoints.
void scoreInKml(TrackExport& header, const kav::log::LogCollection& log, const Piece& piece,
                const std::vector<TrackFormat>& formats) {
    header.placemarks.clear();
    if (!piece.flight ||
        std::find(formats.begin(), formats.end(), TrackFormat::Kml) == formats.end())
        return;
    const kav::flight::FlightScore score =
        kav::flight::scoreFlight(kav::flight::flightFixes(log.logData(), *piece.flight));
    header.placemarks = kav::flight::scorePlacemarks<kav::exporting::KmlPlacemark>(score);
    header.placemarkFolder = kav::flight::scoreFolderName(score);
}

}  // namespace

PendingSave addTracks(const kav::log::LogCollection& log, const SaveRequest& request,
                      FileBatch& batch) {
    PendingSave pending;
    SaveReport& report = pending.report;
    const TrackChoice choice = chooseTracks(request.trackNumbers, log.tracks().size());
    report.missing = choice.missing;
    report.trackCount = log.tracks().size();
    if (choice.indices.empty()) return pending;
    if (!QDir().mkpath(request.folder)) {
        report.errors << QStringLiteral("cannot create the folder %1").arg(request.folder);
        return pending;
    }
    TrackExport header;
    header.info = fillFileInfo(kSoftFirmware, request.exportMoment.toLocalTime().date());
    header.Firmware = request.firmware;
    header.Hardware = request.hardware;
    header.exportMoment = request.exportMoment;
    header.serialNumber = request.serialNumber;
    header.info.Pilot = request.pilot;
    const QDir folder(request.folder);
    const std::vector<Piece> pieces = piecesToSave(log, choice.indices, request.flightsOnly);
    report.noFlight = request.flightsOnly && pieces.empty();
    for (const Piece& piece : pieces) {
        const std::size_t index = piece.track;
        TrackFiles files(log, index, piece.fixes.first, piece.fixes.last);
        header.flightOfDay = piece.ofDay;
        scoreInKml(header, log, piece, request.formats);
        for (TrackFormat format : request.formats) {
            const bool incomplete = request.incompleteTrack == index;
            QString name =
                defaultTrackFileName(request.serialNumber, piece.start, format, piece.ofDay);
            if (!request.fileStem.isEmpty())
                name = request.fileStem + u'.' + QFileInfo(name).suffix();
            if (incomplete) name = incompleteName(name);
            const std::size_t n = batch.addUnderFreeName(
                folder.filePath(name),
                [&](const QString& path) { return files.content(format, header, path); });
            pending.files.push_back({n, index, incomplete, piece.fixes});
        }
    }
    return pending;
}

SaveReport finishSave(PendingSave pending, const FileBatch& batch) {
    SaveReport& report = pending.report;
    for (const PendingSave::File& file : pending.files) {
        const WriteResult& result = batch.result(file.inBatch);
        if (result.ok()) {
            report.written << batch.path(file.inBatch);
            report.writtenFixes.push_back(file.fixes);
            if (file.incomplete) report.incomplete << batch.path(file.inBatch);
        } else {
            report.errors << QStringLiteral("track %1: %2").arg(file.track + 1).arg(result.error);
        }
    }
    return report;
}

SaveReport saveTracks(const kav::log::LogCollection& log, const SaveRequest& request,
                      FileStore& store) {
    FileBatch batch(store);
    PendingSave pending = addTracks(log, request, batch);
    batch.commit();
    return finishSave(std::move(pending), batch);
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
    if (report.noFlight) printErr(prefix + QStringLiteral("no flight was found in the tracks"));
    for (const QString& path : report.incomplete)
        printErr(prefix + QStringLiteral("incomplete track, its end was not read: %1").arg(path));
    return report.exitStatus();
}

}  // namespace kav::cli
