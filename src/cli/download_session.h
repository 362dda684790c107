#pragma once
// One conversation with a logger over LoggerLink: connect, handshake, and (unless only its
// identity is wanted) the whole memory read into a LogCollection and kept as read.

#include <QByteArray>
#include <QObject>
#include <QString>

#include "link/logger_link.h"
#include "link/reply_format.h"
#include "link/transport.h"
#include "log/track_list.h"

namespace kav::cli {

class InterruptNotifier;

struct LoggerIdentity {
    QString port;
    QString serialNumber;
    QString firmware;
    QString hardware;
    QString versionLabel;  // firmware and revision date
    kav::link::LogStatus status;
    bool hasStatus = false;
};

class DownloadSession : public QObject {
    Q_OBJECT
  public:
    enum class Goal {
        Identify,    // version, serial number and status, then disconnect
        ReadMemory,  // ... and every used sector
        Command,     // identity and status, then stay connected and idle for a command
    };

    explicit DownloadSession(kav::link::Transport& transport, kav::link::LinkTimings timings = {},
                             QObject* parent = nullptr);

    // Connects to port and works towards goal; ended() reports the outcome.
    void start(const QString& port, Goal goal);
    // After the memory is read the session ends itself unless told to stay connected
    // (for a command that follows the download).
    void setStayConnected(bool stay) { stayConnected_ = stay; }
    // Ends the session now (disconnecting the logger); error is empty on success.
    void end(const QString& error = {});
    // Runs the event loop until the session has ended; an interruption ends it.
    // Returns the error, empty on success.
    QString wait(InterruptNotifier* interrupt = nullptr);

    kav::link::LoggerLink& link() { return link_; }
    const LoggerIdentity& identity() const { return identity_; }
    const kav::log::LogCollection& log() const { return log_; }
    const QByteArray& memory() const { return memory_; }
    bool memoryComplete() const { return memoryComplete_; }
    bool hasEnded() const { return ended_; }
    const QString& error() const { return error_; }

  signals:
    void statusReady();
    void memoryRead();
    void progress(int done, int total);
    void notice(const QString& text);  // the link's messages (refusals and the like)
    void ended(const QString& error);

  private:
    void onStatus(const kav::link::LogStatus& status);
    void onSector(int sector, const QByteArray& data);
    void onFinished();

    kav::link::Transport& transport_;
    kav::link::LoggerLink link_;
    Goal goal_ = Goal::ReadMemory;
    LoggerIdentity identity_;
    kav::log::LogCollection log_;
    QByteArray memory_;
    bool reading_ = false;
    bool memoryComplete_ = false;
    bool stayConnected_ = false;
    bool ended_ = false;
    QString error_;
};

}  // namespace kav::cli
