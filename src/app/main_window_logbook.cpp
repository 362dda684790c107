// The logbook in the window: the flights read and the files saved go into it; the Logbook
// window shows it.
#include <QAction>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QMenuBar>
#include <QtConcurrentRun>

#include "app/logbook_window.h"
#include "app/main_window.h"
#include "app/message_sink.h"
#include "logbook/logbook.h"
#include "logbook/logged_flights.h"
#include "session/download_session.h"

namespace kav::app {

void TKAVSkyTraqV6::setUpLogbook() {
    logbookWriter_.setMaxThreadCount(1);
    auto* tools = menuBar()->findChild<QMenu*>(QStringLiteral("Tools1"));
    Logbook1 = new QAction(QStringLiteral("Logbook"), tools);
    Logbook1->setObjectName(QStringLiteral("Logbook1"));
    tools->insertAction(Parameters1, Logbook1);
    connect(Logbook1, &QAction::triggered, this, &TKAVSkyTraqV6::Logbook1Click);
}

namespace {

struct Recording {
    std::optional<logbook::Recorded> done;
    logbook::LogbookError error;
};

Recording record(const QString& path, std::vector<logbook::FlightToLog> flights) {
    Recording r;
    if (const auto book = logbook::Logbook::open(path, &r.error,
                                                 {.busyTimeoutMs = logbook::kWindowBusyTimeoutMs}))
        r.done = logbook::recordInto(*book, std::move(flights), r.error);
    return r;
}

}  // namespace

void TKAVSkyTraqV6::recordInLogbook(const QString& status,
                                    std::span<const logbook::WrittenFile> files) {
    const log::LogCollection& log = collection();
    std::optional<std::size_t> cut;
    const int tracks = int(log.tracks().size());
    if (tracks > 0 && trackIncomplete(tracks - 1)) cut = std::size_t(tracks - 1);
    auto flights = logbook::flightsToLog(log, shownIdentity().serialNumber, cut, files);
    if (!files.empty())
        std::erase_if(flights, [](const logbook::FlightToLog& f) { return f.row.files.isEmpty(); });
    if (flights.empty()) return emit logbookRecorded();
    // The watcher goes with the window: a recording done after it closed reaches nothing.
    auto* watcher = new QFutureWatcher<Recording>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, status] {
        watcher->deleteLater();
        const Recording r = watcher->future().takeResult();
        // The note joins the status it was asked with, and what was added to it since.
        const QString note = r.done ? QStringLiteral("; logbook: ") + logbook::recordedText(*r.done)
                                    : QStringLiteral("; not added to the logbook");
        if (!status.isEmpty() && statusText().startsWith(status)) showStatus(statusText() + note);
        if (!r.done)
            messages_->information(
                QStringLiteral("The flights were not added to the logbook: %1.").arg(r.error.text));
        emit logbookRecorded();
    });
    watcher->setFuture(
        QtConcurrent::run(&logbookWriter_, record, services_.logbookPath, std::move(flights)));
}

void TKAVSkyTraqV6::Logbook1Click() {
    std::vector<logbook::LoggedFlight> flights;
    // No logbook yet is an empty one: no flight has been read.
    if (QFileInfo::exists(services_.logbookPath)) {
        logbook::LogbookError error;
        std::optional<std::vector<logbook::LoggedFlight>> read;
        if (const auto book = logbook::Logbook::open(
                services_.logbookPath, &error,
                {.busyTimeoutMs = logbook::kWindowBusyTimeoutMs, .create = false}))
            read = book->flights(std::nullopt, error);
        if (!read) {
            reportError(*messages_, error.text);
            return;
        }
        flights = std::move(*read);
    }
    if (!logbookWindow_) logbookWindow_ = new LogbookWindow(this);
    logbookWindow_->showFlights(flights, services_.logbookPath);
    logbookWindow_->show();
    logbookWindow_->raise();
    logbookWindow_->activateWindow();
}

}  // namespace kav::app
