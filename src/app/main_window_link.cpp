// The download session's reports turned into control changes and messages.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include "app/configuration_dialog.h"
#include "app/main_window.h"
#include "app/message_sink.h"
#include "app/parameters_dialog.h"
#include "browse/sector_strip.h"
#include "browse/track_table.h"
#include "link/logger_link.h"
#include "session/download_session.h"

namespace kav::app {

using session::DownloadSession;

namespace {

const QString kStopping = QStringLiteral("Stopping the download after the sectors being read");
const QString kNotWhole = QStringLiteral(
    "The logger was not cleared: its memory was not read whole. Connect and read it again first.");
const QString kStopQuestion = QStringLiteral("A download is in progress. Stop it?");
const QString kSendQuestion = QStringLiteral(
    "A download is in progress. Sending the settings stops it: the tracks read so far are "
    "cleared and the logger's memory is read again from the start. Stop it and send?");

// "about 1 min 20 s left", "about 5 s left"; empty while unknown.
QString timeLeftText(qint64 ms) {
    if (ms < 0) return {};
    const qint64 s = (ms + 999) / 1000;
    if (s >= 60) return QStringLiteral(", about %1 min %2 s left").arg(s / 60).arg(s % 60);
    return QStringLiteral(", about %1 s left").arg(s);
}

}  // namespace

void TKAVSkyTraqV6::connectLink() {
    DownloadSession* source = session_.get();
    connect(source, &DownloadSession::versionReceived, this,
            [this](const QString& hardware, const QString& label) {
                configurationDialog_->setVersions(label, hardware);
            });
    connect(source, &DownloadSession::serialNumberReceived, this, [this](const QString& serial) {
        LbSerialNo->setText(serial);
        configurationDialog_->setSerialNumber(serial);
    });
    connect(source, &DownloadSession::statusReceived, this, &TKAVSkyTraqV6::onLogStatus);
    connect(source, &DownloadSession::downloadStarted, this, &TKAVSkyTraqV6::onDownloadStarted);
    connect(source, &DownloadSession::sectorStored, this, &TKAVSkyTraqV6::onSector);
    connect(source, &DownloadSession::progressChanged, this, &TKAVSkyTraqV6::onProgress);
    // The table and status follow each download's end: the run's own, and that of the download
    // new criteria start once the run is over. The run's end adds what was not shown.
    connect(source, &DownloadSession::downloadEnded, this, &TKAVSkyTraqV6::onDownloadEnded);
    connect(source, &DownloadSession::runEnded, this, [this](const session::RunReport& report) {
        for (const QString& summary : report.noticesNotShown)
            showStatus(QStringLiteral("%1 (%2)").arg(statusText(), summary));
    });
    connect(source, &DownloadSession::configurationSent, this, [this] { CleanScreen(); });
    connect(source, &DownloadSession::memoryCleared, this, [this] {
        CleanScreen();
        showStatus(QStringLiteral("Memory cleared"));
    });
    // A failure is reported as such; another logger on the port is left alone and said so.
    connect(source, &DownloadSession::clearEnded, this, [this](const session::ClearReport& r) {
        if (r.result == session::ClearReport::Result::Cleared ||
            r.result == session::ClearReport::Result::Failed)
            return;
        showStatus(QStringLiteral("Not cleared: %1").arg(r.why));
        messages_->information(QStringLiteral("The logger was not cleared: %1.").arg(r.why));
    });
    connect(source, &DownloadSession::configurationAnswered, this,
            [this](const QString& text) { messages_->information(text); });
    // The session shows each kind of notice once a run; the count of the rest goes to the status.
    connect(source, &DownloadSession::notice, this,
            [this](const QString& text) { messages_->information(text); });
    connect(source, &DownloadSession::lineRateChanged, this, [this](int, const QString& why) {
        if (!why.isEmpty()) rateNote_ = QStringLiteral(" (%1)").arg(why);
    });
    connect(source, &DownloadSession::loggerFoundAt, this, [this](int baud) {
        rateNote_ = QStringLiteral(" (%1)").arg(session::foundAtText(baud));
        showStatus(session::foundAtText(baud));
    });
    connect(source, &DownloadSession::failed, this, [this](const link::LinkFailure& failure) {
        reportError(*messages_,
                    QStringLiteral("Com Port %1: %2").arg(runPort_, link::failureText(failure)));
    });
    // Send to GPS during a download asks first; No leaves the dialog open with its values.
    configurationDialog_->setSendCheck(
        [this] { return !runInProgress() || messages_->question(kSendQuestion); });
    connect(configurationDialog_, &TConfiguration::criteriaReady, this,
            [this](const LogCriteria& values) {
                afterStopping([this, values] { session_->sendCriteria(values); });
            });
}

void TKAVSkyTraqV6::setDownloadEnabled(bool enabled) {
    BtnDownload->setEnabled(enabled);
    Download1->setEnabled(enabled);
}

void TKAVSkyTraqV6::onLogStatus(const link::LogStatus& status) {
    configurationDialog_->setCriteria({status.timeMax, status.timeMin, status.distMax,
                                       status.distMin, status.speedMax, status.speedMin},
                                      status.logging);
    configurationDialog_->setSendEnabled(true);
    PnlBlock->setUsedSectors(status.SectorsToDownload);
}

// The logger answered: its download replaces whatever the table showed.
void TKAVSkyTraqV6::onDownloadStarted(int sectorsToRead) {
    resetDisplay();
    ProgressDownload->setRange(0, sectorsToRead);
    ProgressDownload->setValue(0);
    ProgressDownload->setFormat(QStringLiteral("%v of %m sectors"));
    ProgressDownload->setVisible(sectorsToRead > 0);
    StopDownload1->setEnabled(true);
    downloadBaud_ = session_->lineRate();
    showStatus(QStringLiteral("Reading the logger's memory at %1 baud%2")
                   .arg(downloadBaud_)
                   .arg(rateNote_));
}

void TKAVSkyTraqV6::onProgress(const session::Progress& progress) {
    ProgressDownload->setValue(progress.sectorsRead);
    ProgressDownload->setFormat(QStringLiteral("%v of %m sectors") + timeLeftText(progress.msLeft));
}

// Download is enabled while sectors remain to be read (a track already read can be saved);
// the end of the download enables it for good.
void TKAVSkyTraqV6::onSector(int sector) {
    TraceGridGT730->setLastTrackIncomplete(true);
    TraceGridGT730->refresh();
    if (sector + 1 < session_->outcome().sectorsExpected) setDownloadEnabled(true);
    enableAfterSector();
}

void TKAVSkyTraqV6::enableAfterSector() {
    parametersDialog_->setConfigEnabled(true);
    Configure1->setEnabled(true);
    BtnRAZGT730->setEnabled(true);
    ClearMemory1->setEnabled(true);
}

void TKAVSkyTraqV6::onDownloadEnded(const session::Outcome& outcome) {
    ProgressDownload->hide();
    StopDownload1->setEnabled(false);
    TraceGridGT730->setLastTrackIncomplete(!outcome.complete());
    TraceGridGT730->refresh();
    // A log that fits in its first sector has tracks to save too.
    if (!collection().tracks().empty()) setDownloadEnabled(true);
    // A cut download is shown as a whole one: short list applied, the marked track drawn.
    CbTimeFilter->setChecked(true);
    const QString text = outcome.complete()
                             ? QStringLiteral("%1 sectors read at %2 baud%3")
                                   .arg(outcome.sectorsRead)
                                   .arg(downloadBaud_)
                                   .arg(rateNote_)
                             : QStringLiteral("Download incomplete: %1 of %2 sectors read. %3")
                                   .arg(outcome.sectorsRead)
                                   .arg(outcome.sectorsExpected)
                                   .arg(session::cutReason(outcome));
    showStatus(text);
    recordInLogbook(text);
}

// The handshake counts as the download's start.
bool TKAVSkyTraqV6::runInProgress() {
    return session_->downloading() || session_->busy();
}

void TKAVSkyTraqV6::unlessDownloading(std::function<void()> action) {
    if (runInProgress() && !messages_->question(kStopQuestion)) return;
    afterStopping(std::move(action));
}

void TKAVSkyTraqV6::afterStopping(std::function<void()> action) {
    if (!runInProgress()) return action();
    showStatus(kStopping);
    session_->whenFree(std::move(action));
}

// Only the logger whose memory was just read whole is cleared: its serial number and used
// sectors are asked again on this connection first.
void TKAVSkyTraqV6::BtnRAZGT730Click() {
    unlessDownloading([this] {
        if (!messages_->warning(QStringLiteral("Clear flight recorder ?"))) return;
        const std::optional<session::SavedMemory> saved = session_->savedMemory();
        if (!saved) {
            showStatus(QStringLiteral("Not cleared: the memory was not read whole"));
            return messages_->information(kNotWhole);
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
        session_->clearIfSame(*saved);
        QApplication::restoreOverrideCursor();
    });
}

void TKAVSkyTraqV6::StopDownload1Click() {
    if (!session_->downloading()) return;
    showStatus(kStopping);
    session_->stop();
}

// KAV_SKYTRAQ_TRACE names a file that gets every byte exchanged with the logger.
void TKAVSkyTraqV6::startTrace() {
    const QString path = qEnvironmentVariable("KAV_SKYTRAQ_TRACE");
    if (path.isEmpty()) return;
    QString error;
    if (trace_.open(path, &error))
        session_->setTrace(&trace_);
    else
        qWarning("%s", qPrintable(error));
}

}  // namespace kav::app
