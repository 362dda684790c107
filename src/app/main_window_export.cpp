// The Download flow: header, name proposal, start list and save dialog, unique name, writer.
#include <algorithm>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

#include "app/main_window.h"
#include "app/message_sink.h"
#include "app/parameters_dialog.h"
#include "browse/track_table.h"
#include "export/export_flow.h"
#include "export/unique_name.h"
#include "flight/log_flights.h"
#include "flight/score_placemarks.h"
#include "logbook/logged_flights.h"
#include "session/download_session.h"

namespace kav::app {

using namespace kav::exporting;

namespace {

// What Download saves of a track: all of it, or its longest flight with a minute on each side
// when "Save the flight only" is ticked and the track holds one.
struct SavedPart {
    flight::FixRange fixes;
    log::DateTime start = 0;
    std::optional<int> ofDay;  // the IGC flight number; by default the track's of the day
    std::optional<flight::Flight> flight;  // when the flight alone is saved
};

SavedPart savedPart(const log::LogCollection& log, std::size_t track, bool flightOnly) {
    const log::Track& t = log.tracks()[track];
    SavedPart part{{t.first, t.last}, t.start, std::nullopt, std::nullopt};
    if (!flightOnly) return part;
    const auto flights = flight::findLogFlights(log);
    const auto& own = flights[track];
    if (own.empty()) return part;
    const auto longest = std::max_element(own.begin(), own.end(), [](auto& a, auto& b) {
        return flight::flightSeconds(a) < flight::flightSeconds(b);
    });
    const auto k = std::size_t(longest - own.begin());
    return {flight::savedFixes(log.logData(), t, *longest), longest->takeoffTime,
            flight::flightOfDay(flights, track, k), *longest};
}

bool flightOnly(const QAction* choice) {
    return choice->isEnabled() && choice->isChecked();
}

QString incompleteTrackQuestion(int index) {
    return QStringLiteral(
               "The end of track %1 has not been read from the logger: the file "
               "would hold only part of the flight. Save it anyway?")
        .arg(index + 1);
}

}  // namespace

void TKAVSkyTraqV6::setUpExport() {
    services_.exportDialogs = withDefaultDialogs(std::move(services_.exportDialogs), this);
    auto* file = menuBar()->findChild<QMenu*>(QStringLiteral("File1"));
    SaveRawLog1 = new QAction(QStringLiteral("Save raw log\u2026"), file);
    SaveRawLog1->setObjectName(QStringLiteral("SaveRawLog1"));
    OpenRawLog1 = new QAction(QStringLiteral("Open raw log\u2026"), file);
    OpenRawLog1->setObjectName(QStringLiteral("OpenRawLog1"));
    SaveFlightOnly1 = new QAction(QStringLiteral("Save the flight only"), file);
    SaveFlightOnly1->setObjectName(QStringLiteral("SaveFlightOnly1"));
    SaveFlightOnly1->setCheckable(true);
    SaveFlightOnly1->setEnabled(false);
    file->insertActions(Exit1, {SaveFlightOnly1, SaveRawLog1, OpenRawLog1});
    connect(SaveRawLog1, &QAction::triggered, this, &TKAVSkyTraqV6::SaveRawLog1Click);
    connect(OpenRawLog1, &QAction::triggered, this, &TKAVSkyTraqV6::OpenRawLog1Click);
    connect(this, &TKAVSkyTraqV6::downloadRequested, this, &TKAVSkyTraqV6::StartDownload);

    // Saving a default format resets the save dialog's filter to it.
    connect(parametersDialog_, &TParametersGT730::defaultFormatSaved, this,
            [this](int) { saveFilterIndex_.reset(); });
}

void TKAVSkyTraqV6::BtnDownloadClick() {
    emit downloadRequested(TraceGridGT730->markedTrack());
}

void TKAVSkyTraqV6::Download1Click() {
    BtnDownloadClick();
}

int TKAVSkyTraqV6::saveFilterIndex() const {
    return saveFilterIndex_.value_or(defaultFormat_ + 1);
}

void TKAVSkyTraqV6::StartDownload(int Index) {
    if (Index < 0 || Index >= static_cast<int>(collection().tracks().size())) return;
    const bool incomplete = trackIncomplete(Index);
    if (incomplete && !messages_->question(incompleteTrackQuestion(Index))) return;
    const QDate today = services_.exportDialogs.now().date();
    const QString shortFormat = QLocale().dateFormat(QLocale::ShortFormat);
    FileInfos = fillFileInfo(SoftFirmware(), today);
    FileInfos.DateToday = DateToday(today, shortFormat);
    const SavedPart part = savedPart(collection(), std::size_t(Index), flightOnly(SaveFlightOnly1));
    // Without a dialog an IGC file takes the IGC long name, the others the date.
    const int ofDay = part.ofDay.value_or(trackOfDay(collection(), std::size_t(Index)));
    const QString dateName =
        extensionForFilterIndex(saveFilterIndex()) == QStringLiteral(".igc")
            ? QFileInfo(defaultTrackFileName(shownIdentity().serialNumber, part.start,
                                             TrackFormat::Igc, ofDay))
                  .completeBaseName()
            : fileDateName(today, shortFormat);
    const std::optional<QString> named =
        parametersDialog_->useStartList() ? nameFromStartList(today, shortFormat, incomplete)
                                          : std::optional(nameWithoutDialog(dateName, incomplete));
    if (!named) return;
    if (!writerFor(*named)) {
        messages_->information(unknownExtensionMessage(nameExtension(*named)));
        return;
    }
    // Another program may take the free name before the write: the next number is used then.
    FileNameGT730 = writeUnderUniqueName(
        *named, {}, [&](const QString& free) { return writeTrack(Index, free).nameTaken; });
}

QString TKAVSkyTraqV6::nameWithoutDialog(const QString& dateName, bool incomplete) const {
    const QString folder = outputDirectory(repDataGT_, repGT_);
    const QString name =
        pathInFolder(folder, dateName) + extensionForFilterIndex(saveFilterIndex());
    return incomplete ? incompleteName(name) : name;
}

// The save dialog opens in the Directory setting (the program's folder only without one).
std::optional<QString> TKAVSkyTraqV6::nameFromStartList(const QDate& today,
                                                        const QString& shortFormat,
                                                        bool incomplete) {
    const QString dateName = fileDateName(today, shortFormat);
    const QString folder = outputDirectory(repDataGT_, repGT_);
    FileNameGT730 = pathInFolder(folder, dateName);
    const QString list = startListPath();
    QString proposal;
    if (QFileInfo(list).isFile()) {
        const StartList read = readStartList(list);
        if (!read.error.isEmpty()) {
            reportError(*messages_, read.error);
            return std::nullopt;
        }
        const auto chosen =
            services_.exportDialogs.chooseCompetitor(QFileInfo(list).fileName(), read.entries);
        if (chosen) {
            FileNameGT730 = pathInFolder(folder, safeFileName(*chosen, dateName));
            FileInfos.Pilot = *chosen;
        }
        proposal = FileNameGT730;
    } else {
        messages_->information(missingStartListMessage(list));
        proposal = missingListProposal(folder, today, shortFormat);
    }
    // Cancelling the save dialog keeps the proposal.
    int filter = saveFilterIndex();
    proposal = proposalWithExtension(proposal, filter);
    if (incomplete) proposal = incompleteName(proposal);
    if (const auto confirmed = services_.exportDialogs.saveTrack(proposal, filter)) {
        proposal = confirmed->path;
        filter = confirmed->filterIndex;
        // Only a real format carries over to the next export.
        if (!extensionForFilterIndex(filter).isEmpty()) saveFilterIndex_ = filter;
    }
    FileNameGT730 = proposal;
    return completeExtension(proposal, filter);
}

// The start list's path, after the file-open dialog when the file is missing.
QString TKAVSkyTraqV6::startListPath() {
    const QString list = parametersDialog_->startListFile();
    if (QFileInfo(list).isFile()) return list;
    const auto picked = services_.exportDialogs.openStartList(list);
    if (!picked) return list;
    if (auto* field = parametersDialog_->findChild<QLineEdit*>(QStringLiteral("FilenameList")))
        field->setText(*picked);
    return *picked;
}

WriteResult TKAVSkyTraqV6::writeTrack(int Index, const QString& path) {
    TrackExport header;
    header.info = FileInfos;
    header.Firmware = shownIdentity().firmware;
    header.Hardware = shownIdentity().hardware;
    header.exportMoment = services_.exportDialogs.now();
    header.serialNumber = shownIdentity().serialNumber;
    const SavedPart part = savedPart(collection(), std::size_t(Index), flightOnly(SaveFlightOnly1));
    header.flightOfDay = part.ofDay;
    if (part.flight && writerFor(path) == TrackFormat::Kml) {
        const flight::FlightScore score = scoreOf(*part.flight);
        header.placemarks = flight::scorePlacemarks<KmlPlacemark>(score);
        header.placemarkFolder = flight::scoreFolderName(score);
    }
    const WriteResult result =
        TrackFiles(collection(), std::size_t(Index), part.fixes.first, part.fixes.last)
            .write(*writerFor(path), header, path);
    if (result.nameTaken) return result;
    if (!result.ok()) {
        reportError(*messages_, result.error);
        return result;
    }
    const logbook::WrittenFile file{QFileInfo(path).absoluteFilePath(), part.fixes};
    recordInLogbook({}, std::span(&file, 1));
    showStatus(
        QStringLiteral("%1 %2 saved in %3")
            .arg(part.ofDay ? QStringLiteral("The flight of track") : QStringLiteral("Track"))
            .arg(Index + 1)
            .arg(QDir::toNativeSeparators(path)));
    return result;
}

}  // namespace kav::app
