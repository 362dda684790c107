#pragma once
// The dialogs and the clock the Download flow and the raw log commands use, behind small
// functions so tests can answer them without showing anything.

#include <functional>
#include <optional>

#include <QDateTime>
#include <QString>
#include <QStringList>

class QWidget;

namespace kav::app {

// What the user confirmed in the save dialog.
struct SaveChoice {
    QString path;
    int filterIndex = 0;  // 1 GAC, 2 KML, 3 GPX, 4 IGC
};

struct ExportDialogs {
    // The save dialog opened on proposal with the filter index; nothing when cancelled.
    std::function<std::optional<SaveChoice>(const QString& proposal, int filterIndex)> saveTrack;
    // The start list's file-open dialog opened on the current path; nothing when cancelled.
    std::function<std::optional<QString>(const QString& current)> openStartList;
    // The competitor dialog with its caption and entries; the chosen entry, if any.
    std::function<std::optional<QString>(const QString& caption, const QStringList& entries)>
        chooseCompetitor;
    // Where to save the raw log, proposal given; nothing when cancelled.
    std::function<std::optional<QString>(const QString& proposal)> saveRawLog;
    // Which raw log to open, starting in folder; nothing when cancelled.
    std::function<std::optional<QString>(const QString& folder)> openRawLog;
    // The local date and time of an export.
    std::function<QDateTime()> now;
};

// dialogs with every empty member replaced by the real dialog over parent (or the clock).
ExportDialogs withDefaultDialogs(ExportDialogs dialogs, QWidget* parent);

}  // namespace kav::app
