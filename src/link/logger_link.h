#pragma once
// The conversation with the logger. At most one exchange (a request and its answer) is in
// progress, and the conversation is one explicit state: idle, a step of the handshake, reading a
// block of sectors, configuring, clearing, or settling after a request that had to be made more
// than once. One place decides what an incoming frame or raw block means in that state; an
// answer the state does not expect (late, duplicated, foreign) is dropped and noted, never acted
// on. Failures are typed. It never touches widgets: it reports upward through its signals.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include "link/command_set.h"
#include "link/link_failure.h"
#include "link/link_receiver.h"
#include "link/reply_format.h"
#include "link/sector_plan.h"
#include "link/transport.h"

namespace kav::link {

// Wire time of count bytes at the given rate, 10 bits a byte, in milliseconds (rounded up).
int wireTimeMs(int count, int baud = 115200);

struct LinkTimings {
    // A reply frame (acknowledgement, version, status) must start arriving within this.
    int replyTimeoutMs = 1000;
    // A raw block of one sector after its acknowledgement: three times its wire time plus a
    // margin; a block of several sectors gets its own wire time on top.
    int rawBlockTimeoutMs = 3 * wireTimeMs(int(kSectorSize + kRawTrailerMarkSize + 3)) + 500;
    // The memory clear is answered only once the flash is erased.
    int clearTimeoutMs = 30000;
    // After a request made more than once, the line must be quiet this long (or every answer
    // still owed must have come) before the next request.
    int settleMs = rawBlockTimeoutMs;
};

// How many times a request is made in all before the link gives up on it.
constexpr int kMaxSectorAttempts = 3;
constexpr int kMaxCommandAttempts = 3;

class LoggerLink : public QObject {
    Q_OBJECT
  public:
    // The conversation's state.
    enum class Step {
        Idle,        // nothing outstanding
        Version,     // GetSoftware: its acknowledgement and the version message
        OutputStop,  // StartStopOutput: its acknowledgement
        UserData,    // GetUserData: its acknowledgement and the user-data block
        Status,      // GetStatus: its acknowledgement and the log status
        Sectors,     // DataQuery: its acknowledgement and the block of sectors
        Criteria,    // SetLogCriteria: its acknowledgement or refusal
        Clear,       // the memory clear: its acknowledgement
        LineRate,    // the serial port configuration: its acknowledgement
        Probe,       // a status request that only checks the logger answers at this rate
        Other,       // any other command: its acknowledgement
        Settling,    // answers to earlier tries may still come; they are dropped
    };

    explicit LoggerLink(Transport& transport, LinkTimings timings = {}, QObject* parent = nullptr);

    // Opens the port and starts the handshake; nothing is sent when the port does not open.
    OpenResult connectLogger(const QString& portName);
    // The handshake on the open port: whatever was in progress is abandoned, the mask is idle,
    // ACKByte 0, InitACK set, PortRemoved cleared, then GetSoftware.
    void startHandshake();
    // Back to 115200 if the line was faster, StartStopOutput(1) when nothing is outstanding,
    // then the port is closed.
    void disconnectLogger();
    // Back to 115200 if the line was faster, then the port is closed.
    void closePort();
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
    void setDownloadAfterStatus(bool download) { downloadAfterStatus_ = download; }
    // Sectors asked for in one request (1, the default, is the plain sector-by-sector read).
    void setSectorsPerRequest(int count) { sectorsPerRequest_ = count < 1 ? 1 : count; }
    // The line rate a download runs at: after the status the logger is asked to switch (for
    // this power cycle only) and is confirmed at the new rate; the end of the download, a
    // disconnect or a failure bring both sides back to 115200. A logger that does not follow
    // is read at 115200, one sector a request.
    void setLineRate(int baud) { wantedRate_ = baud; }
    int lineRate() const { return lineRate_; }

    Step step() const { return step_; }
    // An exchange is in progress or late answers are being let through.
    bool busy() const { return step_ != Step::Idle; }
    bool downloading() const { return downloading_; }
    void setPortRemoved(bool removed) { commands_.setPortRemoved(removed); }
    bool PortRemoved() const { return commands_.PortRemoved(); }
    int32_t FlagACK() const { return commands_.FlagACK(); }
    uint8_t ACKByte() const { return commands_.ACKByte(); }
    bool InitACK() const { return initAck_; }
    bool FlagComportTrigger() const { return receiver_.expectingRawBlock(); }
    uint16_t SectorsToDownload() const { return sectorsToDownload_; }
    // The next sector to read.
    int CurrentSector() const { return plan_.read(); }
    const SectorPlan& plan() const { return plan_; }
    QString Firmware() const { return firmware_; }
    QString Hardware() const { return hardware_; }
    const LinkTimings& timings() const { return timings_; }

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

  private:
    enum class Phase { Answer, Payload };  // awaiting the acknowledgement, or what follows it
    enum class RateAnswer { Acknowledged, Refused, None };
    struct Exchange {
        Step step = Step::Idle;
        uint8_t id = 0;
        std::function<bool()> send;
        Phase phase = Phase::Answer;
        int attempts = 1;
        int answers = 0;  // acknowledgements and refusals received for it
        SectorPlan::Request sectors;
    };
    struct Settle {
        uint8_t id = 0;
        int owed = 0;  // answers to earlier tries not yet received
        std::function<void()> then;
    };

    bool begin(Step step, uint8_t id, std::function<bool()> send, SectorPlan::Request sectors = {});
    void arm();
    void abandon();
    void onTimeout();
    void retryOrFail(FailureKind kind);
    void fail(FailureKind kind, const QString& detail = {});
    void resend();
    Exchange dropExchange();
    void complete(std::function<void()> next);
    void settle(uint8_t id, int owed, std::function<void()> then);
    void settleIfDone();
    void endSettle();
    void resetReception();
    int payloadTimeoutMs(int sectors) const;
    void onBytes(const QByteArray& bytes);
    void onPortLost(const QString& reason);
    void dispatch(const ReceiverEvent& event);
    void drop(const QString& what);
    bool awaits(uint8_t id, Phase phase) const;
    bool inStep(Step step) const { return exchange_ && exchange_->step == step; }
    void onFrame(const Frame& frame);
    void onAnswer(uint8_t id, bool accepted);
    void onAcknowledged();
    void onRefused();
    void onVersion(const QByteArray& body);
    void onLogStatus(const QByteArray& body);
    void onRawBlock(const RawBlock& block);
    void onBadTrailer();
    void expectPayload(std::size_t rawBytes);
    void afterStatus(const LogStatus& status);
    void startDownload(const LogStatus& status);
    void requestNextSectors();
    void onSectorBlock(const QByteArray& data);
    void answerConfiguration(const QString& flagConfig, bool accepted);
    void endDownload(std::function<void()> report);
    void giveUpQuietly(Step step);
    void requestRate(int baud, std::function<void(RateAnswer)> done);
    void finishRate(RateAnswer answer);
    void probe(std::function<void(bool)> done);
    void finishProbe(bool answered);
    void switchRate(std::function<void()> then);
    void useRate(int baud);
    void recoverRate(int old, int tried);
    void rateFallback(const QString& why);
    void restoreRate(std::function<void()> then);
    void restoreRateNow();

    Transport& transport_;
    LinkTimings timings_;
    CommandSet commands_;
    LinkReceiver receiver_;
    QByteArray received_;
    bool dispatching_ = false;
    QTimer timer_;
    QTimer settleTimer_;
    QElapsedTimer settleClock_;
    int generation_ = 0;  // counts abandoned conversations, so a handler's restart is noticed
    Step step_ = Step::Idle;
    std::optional<Exchange> exchange_;
    std::optional<Settle> settle_;
    bool rawOwned_ = false;  // the raw block being read answers the exchange in progress
    std::size_t lastRawSize_[2] = {kSectorSize, kSectorSize};  // user data, sectors
    bool initAck_ = false;
    bool downloadAfterStatus_ = true;
    bool downloading_ = false;
    bool stopRequested_ = false;
    int sectorsPerRequest_ = 1;
    bool singleSectors_ = false;  // the faster line could not be used: plain reads only
    int wantedRate_ = kBaseBaud;
    int lineRate_ = kBaseBaud;
    std::function<void(RateAnswer)> rateDone_;
    std::function<void(bool)> probeDone_;
    std::function<void()> rateThen_;
    SectorPlan plan_;
    QByteArray lastBlock_;       // the last block of sectors kept, to spot a repeated answer
    bool repeatReread_ = false;  // the block is being asked for again after a repeated answer
    QString flagConfig_;
    QString firmware_, hardware_;
    uint16_t sectorsToDownload_ = 0;
};

}  // namespace kav::link
