#pragma once
// One logger conversation and what it produces, shared by the window and the command line: the
// link, the sectors as read, the decoded log and its tracks, the logger's identity, progress
// and the outcome (complete, or cut at sector N and why). A raw log file opened from disk fills
// the same object. Front ends are views of it: they ask it to act and word what it reports.

#include <functional>
#include <optional>

#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QString>

#include "link/byte_trace.h"
#include "link/link_failure.h"
#include "link/logger_link.h"
#include "link/reply_format.h"
#include "link/transport.h"
#include "log/raw_log_file.h"
#include "log/track_list.h"
#include "session/sector_store.h"
#include "session/transfer_speed.h"

namespace kav::session {

struct LoggerIdentity {
    QString port;
    QString serialNumber;
    QString firmware;
    QString hardware;
    QString versionLabel;  // firmware and revision date
    kav::link::LogStatus status;
    bool hasStatus = false;
};

// Where a download stands, or how it ended.
struct Outcome {
    enum class State {
        None,      // nothing read yet
        Running,   // sectors are being read
        Complete,  // every sector to read is held, each once, checked
        Cut,       // it ended early (failure, or stopped), or was not proven whole
    };
    State state = State::None;
    int sectorsRead = 0;
    int sectorsExpected = 0;
    std::optional<kav::link::LinkFailure> failure;  // why it was cut, unless stopped
    bool stopped = false;                           // cut at the user's request
    QList<int> missing;                             // the sectors not held, once it is over
    QString linkError;  // a sector the link handed twice or out of order

    bool complete() const { return state == State::Complete; }
    bool cut() const { return state == State::Cut; }
};

// Why a download was cut, in one sentence ("" unless cut).
QString cutReason(const Outcome& outcome);
// What both front ends say of a logger found at another line rate and put back at 115200.
QString foundAtText(int baud);

// What a clear must find on the logger: the memory just saved.
struct SavedMemory {
    QString serialNumber;
    int sectorsUsed = 0;
};

// How a clear of a saved memory ended.
struct ClearReport {
    enum class Result {
        Cleared,       // the logger was the one saved; it now reports no sector used
        OtherLogger,   // another logger, or another memory, is on the port: left alone
        NotConfirmed,  // cleared, but the status after the clear still shows sectors used
        Failed,        // the link gave up, or the port went away
    };
    Result result = Result::Failed;
    QString why;  // empty when cleared
};

// How a run begun by start() ended, with what a front end needs to word it: the link's end,
// the download's outcome and which of the run's goals were reached.
struct RunReport {
    kav::link::RunEnd end;
    kav::link::OpenResult opened = kav::link::OpenResult::Ok;  // why the port did not open
    Outcome outcome;          // the download's, when one ended in the run (state None otherwise)
    bool identified = false;  // version, serial number and status were read
    std::optional<bool> criteriaAccepted;  // new criteria were answered, accepted or not
    bool memoryCleared = false;            // the logger acknowledged a clear
    std::optional<ClearReport> clear;      // how a clear of a saved memory ended
    QStringList noticesNotShown;           // as noticesNotShown gave them

    bool downloadEnded() const { return outcome.state != Outcome::State::None; }
};

struct Progress {
    int sectorsRead = 0;
    int sectorsToRead = 0;
    qint64 msLeft = -1;  // estimate, -1 until one sector has been read
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
    // The port is closed at once, the logger put back at 115200 first.
    ~DownloadSession() override;

    // Connects to port (closing it first when open) and works towards goal; whatever was in
    // progress is abandoned, and the log read so far is dropped.
    kav::link::OpenResult start(const QString& port, Goal goal);
    // Opens port without talking to the logger (closing it first when open, at once).
    kav::link::OpenResult openPort(const QString& port) { return link_.openPort(port); }
    bool portOpen() const { return link_.portOpen(); }
    // Why the port did not open, in the system's words.
    QString portError() const { return link_.portError(); }
    // Ends a running download after the exchange in progress; what was read is kept.
    void stop();
    // Runs action as soon as the link is free: at once when it is, otherwise after the
    // exchange in progress (a running download is stopped first, one about to start does not
    // start).
    void whenFree(std::function<void()> action);
    // Resumes the logger's output when nothing is outstanding and closes the port, the logger
    // put back at 115200 first. A running download is cut.
    void disconnect();
    // Closes the port the same way, without resuming the output.
    void closePort();
    // Puts the logger back at 115200 and closes the port without waiting for any answer: for
    // when the event loop will not run again.
    void closeNow();
    // Nothing is sent while set (a removed port); a new start clears it.
    void setPortRemoved(bool removed);
    // An exchange is in progress (the handshake counts), or the port is being closed.
    bool busy() const { return link_.busy(); }
    // The line rate both sides talk at now.
    int lineRate() const { return link_.lineRate(); }

    // The line rate and sectors a request of the downloads that start from now on.
    void setTransferSpeed(TransferSpeed speed);
    TransferSpeed transferSpeed() const { return speed_; }

    // Writes every byte exchanged and the link's notes to trace (not owned); null stops it.
    void setTrace(kav::link::ByteTrace* trace);

    // Commands; false when refused (a download or another exchange is in progress).
    bool sendCriteria(const std::array<uint16_t, 7>& data);
    bool clearMemory();
    // The memory of the download just ended, when it ended whole; none otherwise.
    std::optional<SavedMemory> savedMemory() const;
    // Asks the logger on this connection for its serial number and status again and clears it
    // only when both are expected's, then asks for the status again; clearEnded follows.
    // False when refused at once (a download or another exchange in progress).
    bool clearIfSame(const SavedMemory& expected);

    // Fills the session from a raw log file as a download would; on failure nothing changes.
    kav::log::RawLogResult openRawLog(const QString& path);
    // The identity a raw log file of the sectors read records, with the sectors expected.
    kav::log::RawLogIdentity rawLogIdentity() const;
    // Forgets the log, the sectors and the outcome (the window's table reset).
    void clearLog();

    bool downloading() const { return outcome_.state == Outcome::State::Running; }
    // A track whose end was not read: the last one while the download runs or after it was cut.
    bool trackIncomplete(std::size_t track) const;

    const LoggerIdentity& identity() const { return identity_; }
    const kav::log::LogCollection& log() const { return log_; }
    kav::log::LogCollection& log() { return log_; }
    // The sectors as read, sector 0 first.
    const QByteArray& memory() const { return memory_; }
    int sectorsRead() const;
    const Outcome& outcome() const { return outcome_; }
    Progress progress() const;

  signals:
    // The first status after connecting: identity and memory use are known.
    void ready();
    void versionReceived(const QString& hardware, const QString& label);
    void serialNumberReceived(const QString& serialNumber);
    void statusReceived(const kav::link::LogStatus& status);
    void downloadStarted(int sectorsToRead);
    // A sector was kept and decoded; the track list may have grown.
    void sectorStored(int sector);
    void progressChanged(const kav::session::Progress& progress);
    // The download is over: complete or cut.
    void downloadEnded(const kav::session::Outcome& outcome);
    // The link gave up on an exchange (also outside a download).
    void failed(const kav::link::LinkFailure& failure);
    // The run begun by start() is over, whatever ended it (a port that did not open, the
    // session destroyed): exactly once per start, and the only end a front end listens to. A
    // download the link begins on its own (after new criteria) ends with a report of its own.
    void runEnded(const kav::session::RunReport& report);
    void portLost(const QString& reason);
    // Texts the link shows as they are (refusals, frames not understood): each kind once per
    // run or command.
    void notice(const QString& text);
    // When the run ends: how many more of a kind came and were not shown.
    void noticesNotShown(const QString& summary);
    void configurationSent(bool accepted);
    void configurationAnswered(const QString& text);
    void memoryCleared();
    void clearEnded(const kav::session::ClearReport& report);
    void memoLine(const QString& text);
    // Both sides talk at baud; why says why the rate asked for is not used (empty otherwise).
    void lineRateChanged(int baud, const QString& why);
    // The logger was left at baud (a run before was cut while fast): it was put back at 115200.
    void loggerFoundAt(int baud);

  private:
    void connectLink();
    void onStatus(const kav::link::LogStatus& status);
    void onDownloadStarted(int count);
    void onSector(int sector, const QByteArray& data);
    void storeSector(int sector, const QByteArray& data);
    void finishDownload(kav::link::EndKind kind,
                        const std::optional<kav::link::LinkFailure>& failure);
    void onRunEnded(const kav::link::RunEnd& end);
    void reportEnd();
    void onNotice(const QString& text);
    void reportRepeats();
    void runWhenFree();
    void onClearStatus(const kav::link::LogStatus& status);
    void onMemoryCleared();
    void endClear(ClearReport::Result result, const QString& why = {});

    kav::link::Transport& transport_;
    kav::link::LoggerLink link_;
    Goal goal_ = Goal::ReadMemory;
    TransferSpeed speed_ = TransferSpeed::Fast;
    LoggerIdentity identity_;
    kav::log::LogCollection log_;
    QByteArray memory_;
    SectorStore sectors_;
    Outcome outcome_;
    QElapsedTimer clock_;  // since the first sector was asked for
    std::function<void()> whenFree_;
    QMetaObject::Connection traceNotes_;
    QMap<QString, int> repeats_;  // kind of notice -> how many were not shown
    RunReport report_;            // the run in progress, so far
    bool opening_ = false;        // start() is opening the port: the end waits for its result
    bool ended_ = false;          // the link reported the run's end
    // A clear of a saved memory: what it must find, and where it stands.
    enum class ClearStep { None, Asking, Clearing, Confirming };
    ClearStep clearStep_ = ClearStep::None;
    SavedMemory clearFor_;
};

}  // namespace kav::session
