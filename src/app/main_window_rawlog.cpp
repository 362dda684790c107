// The logger's memory as read: saved to a file and opened again.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

#include "app/main_window.h"
#include "app/message_sink.h"
#include "browse/track_table.h"
#include "export/export_flow.h"
#include "export/unique_name.h"
#include "session/download_session.h"

namespace kav::app {

void TKAVSkyTraqV6::SaveRawLog1Click() {
    if (shownMemory().isEmpty()) {
        messages_->information(QStringLiteral("No log sector has been read"));
        return;
    }
    const QString proposal = exporting::pathInFolder(
        exporting::outputDirectory(repDataGT_, repGT_),
        exporting::serialNumberForFileName(shownIdentity().serialNumber) + QStringLiteral(".bin"));
    const auto chosen = services_.exportDialogs.saveRawLog(proposal);
    if (!chosen) return;
    // The file and its side file are one name: a leftover side file moves the number on.
    const session::LoggerIdentity& identity = shownIdentity();
    const exporting::SavedRawLog saved =
        exporting::saveRawLogUnique(*chosen, shownMemory(),
                                    {identity.serialNumber, identity.firmware, identity.hardware,
                                     shownOutcome().sectorsExpected});
    if (!saved.result.ok()) {
        reportError(*messages_, saved.result.error);
        return;
    }
    showStatus(QStringLiteral("%1 sectors saved in %2")
                   .arg(saved.result.sectors)
                   .arg(QDir::toNativeSeparators(saved.path)));
}

// Loads a raw log as a download would fill the table, then applies the short list. A running
// download is stopped first, so no sector still arriving mixes with the file.
void TKAVSkyTraqV6::OpenRawLog1Click() {
    unlessDownloading([this] {
        const auto chosen =
            services_.exportDialogs.openRawLog(exporting::outputDirectory(repDataGT_, repGT_));
        if (!chosen) return;
        // A file that cannot be read leaves the log on screen as it was.
        const log::RawLogResult result = session_->openRawLog(*chosen);
        if (!result.ok()) {
            reportError(*messages_, result.error);
            return;
        }
        resetDisplay();
        const session::Outcome& outcome = session_->outcome();
        TraceGridGT730->setLastTrackIncomplete(outcome.cut());
        TraceGridGT730->refresh();
        if (!result.identity.serialNumber.isEmpty())
            LbSerialNo->setText(result.identity.serialNumber);
        if (!collection().tracks().empty()) setDownloadEnabled(true);
        CbTimeFilter->setChecked(true);
        QString status = QStringLiteral("%1 sectors read from %2")
                             .arg(result.sectors)
                             .arg(QDir::toNativeSeparators(*chosen));
        if (result.tailBytes > 0)
            status += QStringLiteral(", %1 bytes after the last whole sector left out")
                          .arg(result.tailBytes);
        if (outcome.cut()) status += QStringLiteral(". Incomplete: ") + session::cutReason(outcome);
        showStatus(status);
        recordInLogbook(status);
    });
}

}  // namespace kav::app
