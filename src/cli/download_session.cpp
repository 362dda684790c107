#include "cli/download_session.h"

#include <span>

#include <QEventLoop>
#include <QTimer>

#include "cli/interrupt_notifier.h"

namespace kav::cli {

using kav::link::LoggerLink;

DownloadSession::DownloadSession(kav::link::Transport& transport, kav::link::LinkTimings timings,
                                 QObject* parent)
    : QObject(parent), transport_(transport), link_(transport, timings) {
    connect(&link_, &LoggerLink::versionReceived, this,
            [this](const QString& firmware, const QString& hardware, const QString& label) {
                identity_.firmware = firmware;
                identity_.hardware = hardware;
                identity_.versionLabel = label;
            });
    connect(&link_, &LoggerLink::serialNumberReceived, this,
            [this](const QString& serial) { identity_.serialNumber = serial; });
    connect(&link_, &LoggerLink::logStatusReceived, this, &DownloadSession::onStatus);
    connect(&link_, &LoggerLink::sectorReceived, this, &DownloadSession::onSector);
    connect(&link_, &LoggerLink::downloadProgress, this,
            [this](int sector, int last) { emit progress(sector + 1, last + 1); });
    connect(&link_, &LoggerLink::downloadFinished, this, &DownloadSession::onFinished);
    connect(&link_, &LoggerLink::message, this, &DownloadSession::notice);
    connect(&link_, &LoggerLink::linkFailed, this, [this](const QString& text) { end(text); });
    connect(&link_, &LoggerLink::portLost, this, [this](const QString& reason) {
        end(QStringLiteral("the logger went away (%1)").arg(reason));
    });
}

void DownloadSession::start(const QString& port, Goal goal) {
    goal_ = goal;
    identity_ = LoggerIdentity{};
    identity_.port = port;
    link_.setDownloadAfterStatus(goal != Goal::Command);
    const kav::link::OpenResult opened = link_.connectLogger(port);
    if (opened != kav::link::OpenResult::Ok)
        end(QStringLiteral("cannot open %1: %2").arg(port, transport_.errorString()));
}

// The first status names the sectors in use; the link asks for sector 0 right after it.
void DownloadSession::onStatus(const kav::link::LogStatus& status) {
    const bool first = !identity_.hasStatus;
    identity_.status = status;
    identity_.hasStatus = true;
    if (!first) return;
    emit statusReady();
    if (goal_ == Goal::Identify)
        end();
    else if (goal_ == Goal::ReadMemory)
        reading_ = true;
}

void DownloadSession::onSector(int sector, const QByteArray& data) {
    if (!reading_ || qsizetype(sector) * qsizetype(kav::link::kSectorSize) != memory_.size())
        return;
    memory_.append(data);
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    log_.SavePacket(std::span<const uint8_t>(bytes, std::size_t(data.size())));
}

void DownloadSession::onFinished() {
    if (!reading_) return;
    reading_ = false;
    memoryComplete_ = true;
    emit memoryRead();
    if (!stayConnected_) end();
}

void DownloadSession::end(const QString& error) {
    if (ended_) return;
    ended_ = true;
    reading_ = false;
    error_ = error;
    if (transport_.isOpen()) link_.disconnectLogger();
    emit ended(error_);
}

QString DownloadSession::wait(InterruptNotifier* interrupt) {
    if (ended_) return error_;
    QEventLoop loop;
    connect(this, &DownloadSession::ended, &loop, &QEventLoop::quit);
    if (interrupt) {
        if (interrupt->interrupted()) end(QStringLiteral("interrupted"));
        connect(interrupt, &InterruptNotifier::interrupt, &loop,
                [this] { end(QStringLiteral("interrupted")); });
    }
    if (!ended_) loop.exec();
    return error_;
}

}  // namespace kav::cli
