// The link's reports turned into control changes and messages.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "app/configuration_dialog.h"
#include "app/main_window.h"
#include "app/message_sink.h"
#include "app/parameters_dialog.h"
#include "browse/sector_strip.h"
#include "browse/track_table.h"
#include "link/logger_link.h"

namespace kav::app {

void TKAVSkyTraqV6::connectLink() {
    link::LoggerLink* source = link_.get();
    connect(source, &link::LoggerLink::versionReceived, this,
            [this](const QString&, const QString& hardware, const QString& label) {
                configurationDialog_->setVersions(label, hardware);
            });
    connect(source, &link::LoggerLink::serialNumberReceived, this, [this](const QString& serial) {
        LbSerialNo->setText(serial);
        configurationDialog_->setSerialNumber(serial);
    });
    connect(source, &link::LoggerLink::logStatusReceived, this, &TKAVSkyTraqV6::onLogStatus);
    connect(source, &link::LoggerLink::sectorReceived, this, &TKAVSkyTraqV6::onSector);
    connect(source, &link::LoggerLink::downloadFinished, this, &TKAVSkyTraqV6::onDownloadFinished);
    connect(source, &link::LoggerLink::configurationSent, this, [this] { CleanScreen(); });
    connect(source, &link::LoggerLink::memoryCleared, this, [this] { CleanScreen(); });
    connect(source, &link::LoggerLink::configurationAnswered, this,
            [this](const QString& text) { messages_->information(text); });
    connect(source, &link::LoggerLink::message, this,
            [this](const QString& text) { messages_->information(text); });
    connect(source, &link::LoggerLink::linkFailed, this,
            [this](const QString& text) { reportError(*messages_, text); });
    connect(configurationDialog_, &TConfiguration::criteriaReady, this,
            [this](const LogCriteria& values) { link_->SetLogCriteria(values); });
}

void TKAVSkyTraqV6::onLogStatus(const link::LogStatus& status) {
    configurationDialog_->setCriteria({status.timeMax, status.timeMin, status.distMax,
                                       status.distMin, status.speedMax, status.speedMin},
                                      status.logging);
    configurationDialog_->setSendEnabled(true);
    PnlBlock->setUsedSectors(status.SectorsToDownload);
}

void TKAVSkyTraqV6::onSector(int sector, const QByteArray& data) {
    collection_.SavePacket(std::span(reinterpret_cast<const uint8_t*>(data.constData()),
                                     static_cast<std::size_t>(data.size())));
    TraceGridGT730->refresh();
    if (sector < link_->SectorsToDownload()) {
        BtnDownload->setEnabled(true);
        Download1->setEnabled(true);
    }
    enableAfterSector();
}

void TKAVSkyTraqV6::enableAfterSector() {
    parametersDialog_->setConfigEnabled(true);
    Configure1->setEnabled(true);
    BtnRAZGT730->setEnabled(true);
    ClearMemory1->setEnabled(true);
}

void TKAVSkyTraqV6::onDownloadFinished() {
    // A log that fits in its first sector has tracks to save too.
    if (!collection_.tracks().empty()) {
        BtnDownload->setEnabled(true);
        Download1->setEnabled(true);
    }
    CbTimeFilter->setChecked(true);
}

void TKAVSkyTraqV6::BtnRAZGT730Click() {
    if (!messages_->warning(QStringLiteral("Clear flight recorder ?"))) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    link_->clearMemory();
    QApplication::restoreOverrideCursor();
}

}  // namespace kav::app
