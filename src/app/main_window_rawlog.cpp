// The logger's memory as read: kept sector by sector, saved to a file and opened again.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

#include "app/main_window.h"
#include "app/message_sink.h"
#include "browse/track_table.h"
#include "export/export_flow.h"
#include "export/unique_name.h"
#include "log/datalog_decoder.h"

namespace kav::app {

namespace {

constexpr qsizetype kSector = qsizetype(log::kSectorSize);

// The whole sectors of a raw log file, as loadRawLog decoded them.
QByteArray readSectors(const QString& path, qint64 sectors) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(sectors * kSector);
}

}  // namespace

// Sector k lands at k * 4096, so a sector read again replaces its first copy; a gap (never
// expected) is filled as erased flash.
void TKAVSkyTraqV6::keepSector(int sector, const QByteArray& data) {
    if (sector < 0) return;
    const qsizetype at = qsizetype(sector) * kSector;
    if (rawSectors_.size() > at) rawSectors_.truncate(at);
    if (rawSectors_.size() < at) rawSectors_.append(at - rawSectors_.size(), char(0xFF));
    rawSectors_.append(data);
}

void TKAVSkyTraqV6::SaveRawLog1Click() {
    if (rawSectors_.isEmpty()) {
        messages_->information(QStringLiteral("No log sector has been read"));
        return;
    }
    const QString proposal = exporting::pathInFolder(
        exporting::outputDirectory(repDataGT_, repGT_),
        exporting::serialNumberForFileName(logIdentity_.serialNumber) + QStringLiteral(".bin"));
    const auto chosen = services_.exportDialogs.saveRawLog(proposal);
    if (!chosen) return;
    const QString path = exporting::uniqueFileName(*chosen);
    const log::RawLogResult result = log::saveRawLog(path, rawSectors_, logIdentity_);
    if (!result.ok()) {
        reportError(*messages_, result.error);
        return;
    }
    statusBar()->showMessage(QStringLiteral("%1 sectors saved in %2")
                                 .arg(result.sectors)
                                 .arg(QDir::toNativeSeparators(path)));
}

// Loads a raw log as a download would fill the table, then applies the short list.
void TKAVSkyTraqV6::OpenRawLog1Click() {
    const auto chosen =
        services_.exportDialogs.openRawLog(exporting::outputDirectory(repDataGT_, repGT_));
    if (!chosen) return;
    // A file that cannot be read leaves the log on screen as it was.
    log::LogCollection loaded;
    const log::RawLogResult result = log::loadRawLog(*chosen, loaded);
    if (!result.ok()) {
        reportError(*messages_, result.error);
        return;
    }
    InitGrid();
    collection_ = std::move(loaded);
    TraceGridGT730->refresh();
    rawSectors_ = readSectors(*chosen, result.sectors);
    logIdentity_ = result.identity;
    if (!logIdentity_.serialNumber.isEmpty()) LbSerialNo->setText(logIdentity_.serialNumber);
    if (!collection_.tracks().empty()) {
        BtnDownload->setEnabled(true);
        Download1->setEnabled(true);
    }
    CbTimeFilter->setChecked(true);
    QString status = QStringLiteral("%1 sectors read from %2")
                         .arg(result.sectors)
                         .arg(QDir::toNativeSeparators(*chosen));
    if (result.tailBytes > 0)
        status +=
            QStringLiteral(", %1 bytes after the last whole sector left out").arg(result.tailBytes);
    statusBar()->showMessage(status);
}

}  // namespace kav::app
