#pragma once
// The conversation with the logger on a real port: a thin adapter around Conversation. It
// feeds the core the bytes the transport receives, the time and the requests, and carries out
// what the core answers: writes and line rates on the transport, "wake me at" on its clock, and
// signals for the events. It never touches widgets.

#include <array>
#include <cstdint>
#include <memory>

#include <QByteArray>
#include <QObject>
#include <QString>

#include "link/conversation.h"
#include "link/link_clock.h"
#include "link/link_failure.h"
#include "link/reply_format.h"
#include "link/step_delivery.h"
#include "link/transport.h"

namespace kav::link {

class LoggerLink : public QObject {
    Q_OBJECT
  public:
    using Step = Conversation::Step;

    // On the steady clock.
    explicit LoggerLink(Transport& transport, LinkTimings timings = {}, QObject* parent = nullptr);
    // On the caller's clock, which must outlive the link.
    LoggerLink(Transport& transport, LinkClock& clock, LinkTimings timings = {},
               QObject* parent = nullptr);

    // Opens the port (closing it first, at once) and starts a run towards goal; nothing is sent
    // when the port does not open, and the run ends at once (runEnded, portNotOpened).
    OpenResult connectLogger(const QString& portName, RunGoal goal = RunGoal::ReadMemory);
    // Opens the port (closing it first, at once) without talking to the logger.
    OpenResult openPort(const QString& portName);
    bool portOpen() const { return transport_.isOpen(); }
    // Why the port did not open, in the system's words.
    QString portError() const { return transport_.errorString(); }
    // The handshake on the open port: whatever was in progress is abandoned, the mask is idle,
    // ACKByte 0, InitACK set, PortRemoved cleared, then GetSoftware.
    void startHandshake(RunGoal goal = RunGoal::ReadMemory);
    // Back to 115200 if the line was faster (the logger's answer awaited, bounded),
    // StartStopOutput(1) when nothing is outstanding, then the port is closed.
    void disconnectLogger();
    // Back to 115200 if the line was faster, then the port is closed.
    void closePort();
    // The same at once, for when the event loop will not run again (a destructor, the end of
    // the program): the request back to 115200 is written and drained, then the port closes.
    void closeNow();
    // Ends the download once the exchange in progress is over (downloadStopped follows).
    void stopDownload();

    // The command set. Each starts an exchange and returns true when its frame reached the
    // port; while another exchange is in progress it is refused silently.
    bool GetSoftware();
    bool StartStopOutput(uint8_t onOff);
    bool GetUserData();
    bool GetStatus();
    bool DataQuery(uint16_t blockStart, uint16_t blockEnd);
    bool SetLogCriteria(const std::array<uint16_t, 7>& data);
    bool clearMemory();  // asks nothing: the front end confirms first
    bool SetUpdateRate(uint8_t rate);
    bool SetRate(uint8_t rate);
    bool GetRate();
    bool GetDatum();
    bool GetNavMode();
    bool SetUserData(QByteArrayView serialNo);

    // Whether the log status starts the download (the handshake's normal course). A front end
    // that only configures or clears the logger turns it off and stays idle after the status.
    void setDownloadAfterStatus(bool download) { core_.setDownloadAfterStatus(download); }
    // Sectors asked for in one request (1, the default, is the plain sector-by-sector read).
    void setSectorsPerRequest(int count) { core_.setSectorsPerRequest(count); }
    // The line rate a download runs at: after the status the logger is asked to switch (for
    // this power cycle only) and is confirmed at the new rate; the end of the download, a
    // disconnect or a failure bring both sides back to 115200. A logger that does not follow
    // is read at 115200, one sector a request.
    void setLineRate(int baud) { core_.setLineRate(baud); }
    int lineRate() const { return core_.lineRate(); }

    Step step() const { return core_.step(); }
    // An exchange is in progress, late answers are being let through, or the port is closing.
    bool busy() const { return core_.busy(); }
    bool downloading() const { return core_.downloading(); }
    void setPortRemoved(bool removed) { core_.setPortRemoved(removed); }
    bool PortRemoved() const { return core_.PortRemoved(); }
    int32_t FlagACK() const { return core_.FlagACK(); }
    uint8_t ACKByte() const { return core_.ACKByte(); }
    bool InitACK() const { return core_.InitACK(); }
    bool FlagComportTrigger() const { return core_.FlagComportTrigger(); }
    const SectorPlan& plan() const { return core_.plan(); }
    QString Firmware() const { return firmware_; }
    QString Hardware() const { return hardware_; }
    const LinkTimings& timings() const { return core_.timings(); }

  signals:
    void versionReceived(const QString& firmware, const QString& hardware, const QString& label);
    void serialNumberReceived(const QString& serialNumber);
    void logStatusReceived(const kav::link::LogStatus& status);
    // The download starts: sectors 0 .. count - 1 will be read.
    void downloadStarted(int count);
    // One checked sector, in order, each exactly once per download.
    void sectorReceived(int sector, const QByteArray& data);
    void downloadProgress(int sectorsRead, int sectorsToRead);
    void downloadFinished();
    // The download ended early at the front end's request; the sectors read are kept.
    void downloadStopped(int sectorsRead);
    // The log criteria were answered (the window resets its display); the report follows
    // with the next status through configurationAnswered.
    void configurationSent(bool accepted);
    void configurationAnswered(const QString& text);
    // The memory clear was acknowledged (the window resets its display).
    void memoryCleared();
    // A line for the window's hidden log.
    void memoLine(const QString& text);
    // Texts for message boxes.
    void message(const QString& text);
    // The link gave up on an exchange; what was read is kept.
    void failed(const kav::link::LinkFailure& failure);
    void portLost(const QString& reason);
    // Nothing is outstanding any more: a command can be sent.
    void idle();
    // A line for the byte trace: answers dropped, requests made again.
    void note(const QString& text);
    // Both sides now talk at baud; why is empty unless the rate asked for could not be used.
    void lineRateChanged(int baud, const QString& why);
    // The logger did not answer at 115200: it was found at baud and put back at 115200.
    void loggerFoundAt(int baud);
    // The run begun by connectLogger or startHandshake is over: exactly once per start.
    void runEnded(const kav::link::RunEnd& end);
    // A download that followed new criteria, after its run's end was reported, is over.
    void downloadEnded(const kav::link::RunEnd& end);

  private:
    LoggerLink(Transport& transport, LinkClock* clock, LinkTimings timings, QObject* parent);

    Millis now() const { return clock_->now(); }
    bool issue(const Request& request);
    // Carries out the core's answer; false when it refused the request or a write failed.
    bool apply(const Actions& actions);
    bool carryOut(const Action& action);
    void emitEvent(const ConversationEvent& event);
    void emitDownloadEnd(const RunEnd& end);
    void schedule();

    Transport& transport_;
    Conversation core_;
    std::unique_ptr<LinkClock> ownClock_;  // the steady clock, unless one was given
    LinkClock* clock_;
    StepDelivery steps_;
    QString firmware_, hardware_;
};

}  // namespace kav::link
