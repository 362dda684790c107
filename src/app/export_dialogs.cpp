#include "app/export_dialogs.h"

#include <QFileDialog>
#include <QStringList>

#include "export/competitor_list.h"

namespace kav::app {

namespace {

// The save dialog's filters, in the order of the filter index.
const QStringList kTrackFilters = {QStringLiteral("GAC (*.gac)"), QStringLiteral("KML (*.kml)"),
                                   QStringLiteral("GPX (*.gpx)"), QStringLiteral("IGC (*.igc)")};
const QString kRawFilter = QStringLiteral("Raw log (*.bin);;All files (*)");

std::optional<QString> chosenPath(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<SaveChoice> saveTrackWithDialog(QWidget* parent, const QString& proposal,
                                              int filterIndex) {
    QString selected = filterIndex >= 1 && filterIndex <= kTrackFilters.size()
                           ? kTrackFilters[filterIndex - 1]
                           : QString();
    // Existing names are numbered later, never replaced: no overwrite question.
    const QString path =
        QFileDialog::getSaveFileName(parent, QString(), proposal, kTrackFilters.join(";;"),
                                     &selected, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) return std::nullopt;
    return SaveChoice{path, int(kTrackFilters.indexOf(selected)) + 1};
}

}  // namespace

ExportDialogs withDefaultDialogs(ExportDialogs dialogs, QWidget* parent) {
    if (!dialogs.saveTrack)
        dialogs.saveTrack = [parent](const QString& proposal, int filterIndex) {
            return saveTrackWithDialog(parent, proposal, filterIndex);
        };
    if (!dialogs.openStartList)
        dialogs.openStartList = [parent](const QString& current) {
            return chosenPath(QFileDialog::getOpenFileName(parent, QString(), current,
                                                           QStringLiteral("Texte files (*.txt)")));
        };
    if (!dialogs.chooseCompetitor)
        dialogs.chooseCompetitor = [parent](const QString& caption, const QStringList& entries) {
            return exporting::chooseCompetitor(parent, caption, entries);
        };
    if (!dialogs.saveRawLog)
        dialogs.saveRawLog = [parent](const QString& proposal) {
            return chosenPath(QFileDialog::getSaveFileName(parent, QStringLiteral("Save raw log"),
                                                           proposal, kRawFilter, nullptr,
                                                           QFileDialog::DontConfirmOverwrite));
        };
    if (!dialogs.openRawLog)
        dialogs.openRawLog = [parent](const QString& folder) {
            return chosenPath(QFileDialog::getOpenFileName(parent, QStringLiteral("Open raw log"),
                                                           folder, kRawFilter));
        };
    if (!dialogs.now) dialogs.now = [] { return QDateTime::currentDateTime(); };
    return dialogs;
}

}  // namespace kav::app
