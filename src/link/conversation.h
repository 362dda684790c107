#pragma once
// The whole conversation with the logger, without I/O. It is fed the bytes received, the time
// and the requests of the session, and answers each call with actions (bytes to write, a line
// rate to set, when to be woken, events). Its state is one value: the run (its goal, status,
// download, rate change and criteria) and what is on the line: idle, an exchange (a request
// with its attempt and phase; each stage of a rate change is one), settling (answers to earlier
// tries still owed, and what comes next), or closing. What happens next is data in that value,
// never a stored function; an answer the state does not await is dropped and noted.

#include <array>
#include <cstdint>
#include <optional>
#include <variant>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "link/command_set.h"
#include "link/conversation_events.h"
#include "link/link_receiver.h"
#include "link/round_trip.h"
#include "link/sector_plan.h"

namespace kav::link {

// Wire time of count bytes at the given rate, 10 bits a byte, in milliseconds (rounded up).
int wireTimeMs(int count, int baud = 115200);

struct LinkTimings {
    // A reply frame (acknowledgement, version, status) must start arriving within this, until
    // the answers seen teach a longer wait (up to maxReplyTimeoutMs).
    int replyTimeoutMs = 1000;
    int maxReplyTimeoutMs = 10000;
    // A raw block of one sector after its acknowledgement: three times its wire time plus a
    // margin; a block of several sectors gets its own wire time on top.
    int rawBlockTimeoutMs = 3 * wireTimeMs(int(kSectorSize + kRawTrailerMarkSize + 3)) + 500;
    // The memory clear is answered only once the flash is erased.
    int clearTimeoutMs = 30000;
    // After a request made more than once, the line must be quiet this long (and longer than
    // the slowest answer seen), or every answer still owed must have come, before the next.
    int settleMs = rawBlockTimeoutMs;
};

// How many times a request is made in all before the link gives up on it.
constexpr int kMaxSectorAttempts = 3;
constexpr int kMaxCommandAttempts = 3;

// A request to the logger, as data: it can be made again as it was.
struct Request {
    uint8_t id = 0;
    uint8_t arg = 0;                 // StartStopOutput, SetRate, SerialConfig
    uint16_t first = 0, count = 1;   // DataQuery
    std::array<uint16_t, 7> data{};  // SetLogCriteria
};

class Conversation {
  public:
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
        Closing,     // the logger is being put back at 115200 before the port closes
    };
    // Which stage of a line-rate change a LineRate or Probe exchange is.
    enum class RateStage {
        None,
        Switch,       // 0x05 to the faster rate, at the old rate
        Confirm,      // status at the faster rate
        TryOld,       // no answer at the faster rate: status at the old rate
        AskBack,      // the logger may have switched silently: 0x05 to the old rate, at the new
        ConfirmBack,  // status at the old rate after asking back
        Restore,      // 0x05 to 115200 at the end of a download or after a failure
        Search,       // the version request at a rate tried while looking for the logger
        PutBack,      // 0x05 to 115200, at the rate the logger was found at
        Returned,     // the version request at 115200 after the logger was put back
    };
    // What follows once an exchange is over (after settling, when it had to be made again).
    enum class Next {
        None,
        OutputStop,      // the version is in: stop the output
        UserData,        // the output stopped during the handshake: read the user data
        Status,          // the serial number is in: ask for the status
        AfterStatus,     // the status is in (kept in the run)
        CommandStatus,   // the serial number a command asked for is in: the status, no more
        StatusOnly,      // the status a command asked for is in: reported, nothing started
        NextSectors,     // ask for the next sectors
        ConfigAccepted,  // the criteria were acknowledged
        ConfigRefused,   // the criteria were refused
        Cleared,         // the memory clear was acknowledged
        RateAcked,       // the rate change was acknowledged
        RateRefused,     // the rate change was refused
        RateSilent,      // the rate change got no answer
        ProbeAnswered,   // the status at the new rate came
        ProbeSilent,     // it did not
        ProbeRefused,    // it was refused, which proves the logger hears the rate
        Resend,          // make the held exchange's request again
        RestoreRate,     // after a failure: back to 115200
        Found,           // the logger answered at the rate being tried: put it back
    };
    enum class Phase { Answer, Payload };  // awaiting the acknowledgement, or what follows it

    struct Idle {};
    struct Exchange {
        Step step = Step::Idle;
        Request request;
        Phase phase = Phase::Answer;
        int attempts = 1;
        int answers = 0;  // acknowledgements and refusals received for it
        SectorPlan::Request sectors;
        RateStage rate = RateStage::None;
        bool byCommand = false;  // asked for by the session: its answer starts nothing
        Millis firstSent = 0, sent = 0, deadline = 0;
    };
    struct Settling {
        uint8_t id = 0;
        int owed = 0;  // answers to earlier tries not yet received
        Next next = Next::None;
        Exchange held;  // Next::Resend: the exchange to make again
        RateStage rate = RateStage::None;
        int attempts = 0;
        int sector = -1;
        Millis sent = 0;  // the last try was made then
        Millis quietUntil = 0, giveUpAt = 0;
    };
    struct Closing {
        bool awaitSwitch = false;  // the logger's answer to a faster rate is still to come
        int switchTarget = 0;
        bool resume = false;  // StartStopOutput(1) before the port closes
        Millis deadline = 0;
    };
    using Activity = std::variant<Idle, Exchange, Settling, Closing>;

    // The run's download: reading, then (its end decided) back to 115200, then over.
    struct Download {
        enum class Phase { Reading, Restoring, Over };
        Phase phase = Phase::Reading;
        SectorPlan plan;
        bool stopRequested = false;
        EndKind end = EndKind::Complete;  // Restoring: how it ends once back at 115200
        QByteArray lastBlock;             // the last block kept, to spot a repeated answer
        int repeatRereads = 0;     // times the block was asked for again after a repeated answer
        bool afterRunEnd = false;  // it followed new criteria once the run's end was reported
    };
    // The run's change to a faster line rate, kept until the next start for the way back.
    struct RateChange {
        int oldRate = kBaseBaud, triedRate = kBaseBaud;
        int probeRefusals = 0;
        bool doubt = false;  // the logger may have taken triedRate after the download fell back
    };
    // New criteria were answered; the report goes with the next status.
    struct Criteria {
        bool accepted = false;
    };
    // A run, from a start to the next. Its end is reported once (ended); the port stays open
    // after it for commands. A port opened without a start gets a run already ended.
    struct Run {
        RunGoal goal = RunGoal::ReadMemory;
        bool ended = true;
        bool initAck = false;
        bool haveStatus = false;  // the run has had its status
        LogStatus status;
        int searches = 0;            // the other rates were looked through this often
        int foundAt = kBaseBaud;     // the rate the logger was found at, when looked for
        bool singleSectors = false;  // the faster line could not be used: plain reads only
        std::optional<Download> download;
        std::optional<RateChange> rate;
        std::optional<Criteria> criteria;
    };
    // What is on the line sits beside the run: a close outlasts the run's end, and a port
    // opened without a start carries commands.
    struct State {
        std::optional<Run> run;  // none: no run was started and no command needed one
        Activity activity;
    };

    explicit Conversation(LinkTimings timings = {});

    // The inputs. Every call returns what to do, in order.
    // Starts a run on a freshly opened port: whatever was in progress is forgotten, the mask
    // is idle, ACKByte 0, InitACK set, PortRemoved cleared, then GetSoftware (at the other line
    // rates too when nothing answers at 115200, the logger found put back at 115200 first).
    Actions start(Millis now, RunGoal goal);
    Actions received(Millis now, QByteArrayView bytes);
    Actions wake(Millis now);
    // A command of the command set; refused (accepted false) while an exchange is in progress.
    Actions command(Millis now, const Request& request);
    // Ends a running download once the exchange in progress is over.
    Actions stop(Millis now);
    // Back to 115200 when the line is faster (waiting for the logger's answer, bounded), then
    // StartStopOutput(1) when resume and nothing is outstanding, then ClosePort.
    Actions close(Millis now, bool resume);
    // The same without waiting for any answer: for when the event loop cannot run.
    Actions closeNow(Millis now);
    Actions portLost(Millis now, const QString& reason);
    // The port was closed from outside the conversation.
    Actions portClosed(Millis now);
    // A write of the last call failed.
    Actions writeFailed(Millis now);

    // Settings for the downloads that start from now on.
    void setDownloadAfterStatus(bool download) { downloadAfterStatus_ = download; }
    void setSectorsPerRequest(int count) { sectorsPerRequest_ = count < 1 ? 1 : count; }
    void setLineRate(int baud) { wantedRate_ = baud; }
    void setPortRemoved(bool removed) { commands_.setPortRemoved(removed); }

    const State& state() const { return state_; }
    // When the state wants to be woken (a time-out, the end of a settling), if ever.
    std::optional<Millis> wakeAt() const;
    Step step() const;
    bool busy() const { return !std::holds_alternative<Idle>(state_.activity); }
    bool downloading() const;
    bool runActive() const { return state_.run && !state_.run->ended; }
    int lineRate() const { return lineRate_; }
    bool PortRemoved() const { return commands_.PortRemoved(); }
    int32_t FlagACK() const { return commands_.FlagACK(); }
    uint8_t ACKByte() const { return commands_.ACKByte(); }
    bool InitACK() const { return state_.run && state_.run->initAck; }
    bool FlagComportTrigger() const { return receiver_.expectingRawBlock(); }
    const SectorPlan& plan() const;
    const LinkTimings& timings() const { return timings_; }
    const RoundTrip& roundTrip() const { return roundTrip_; }

  private:
    enum class InputKind {
        Start,
        Bytes,
        Wake,
        Command,
        Stop,
        Close,
        CloseNow,
        PortLost,
        PortClosed,
        WriteFailed,
    };
    struct Input {
        Input(InputKind k, Millis n) : kind(k), now(n) {}
        InputKind kind;
        Millis now = 0;
        QByteArrayView bytes;
        RunGoal goal = RunGoal::ReadMemory;
        Request request;
        bool resume = false;
        QString reason;
    };

    // The one entry: decides what the input means in the state, collects the actions.
    Actions dispatch(const Input& input);
    void onInput(const Input& input);
    void onStart(RunGoal goal);
    void onWake();
    void onClose(bool resume);
    void onCloseNow();
    void onPortLost(const QString& reason);
    void onPortClosed();
    void onWriteFailed();

    // Actions.
    // Writes the frames the command set sent; passes on whether it sent one.
    bool issued(bool sent);
    void write(QByteArrayView bytes);
    void setRate(int baud);
    using Kind = ConversationEvent::Kind;
    // Adds an event of that kind to the answer; the caller fills in the rest.
    ConversationEvent& event(Kind kind);
    void emitText(Kind kind, const QString& text);
    void note(const QString& text);
    void closePortAction();

    // The state's parts.
    Exchange* exchange() { return std::get_if<Exchange>(&state_.activity); }
    const Exchange* exchange() const { return std::get_if<Exchange>(&state_.activity); }
    Run& run();
    Download* download();
    const Download* download() const;
    RateChange& rateChange();
    int triedRate() const;
    void stopReading();

    // Exchanges.
    bool begin(Step step, const Request& request, SectorPlan::Request sectors = {},
               RateStage rate = RateStage::None);
    bool send(const Request& request);
    void arm();
    void retryOrFail(FailureKind kind);
    void tryAgain(FailureKind kind);
    void resend();
    void fail(FailureKind kind, const QString& detail = {});
    Exchange dropExchange();
    void complete(Next next);
    qint64 quietMs() const;
    // Lets the answers x may still get through (owed: all its tries not answered), then next.
    void settle(const Exchange& x, Next next, int owed = -1);
    void settleUntilQuiet(const Exchange& x, Next next);
    void settleIfDone();
    void endSettle();
    void onSettleTimeout();
    void then(Next next, RateStage rate);
    void resetReception();
    int payloadTimeoutMs(int sectors) const;
    void abandon();

    // Replies.
    void onBytes(QByteArrayView bytes);
    void onReceiverEvent(const ReceiverEvent& event);
    void drop(const QString& what);
    bool awaits(uint8_t id, Phase phase) const;
    bool inStep(Step step) const;
    void timeAnswer();
    void onFrame(const Frame& frame);
    void onAnswer(uint8_t id, bool accepted);
    void onAcknowledged();
    void onRefused();
    void onVersion(const QByteArray& body);
    void onLogStatus(const QByteArray& body);
    void onRawBlock(const RawBlock& block);
    void onBadTrailer();
    void expectPayload(std::size_t rawBytes);

    // The download (conversation_download.cpp).
    void afterStatus();
    void startDownload();
    void requestNextSectors();
    void onSectorBlock(const QByteArray& data);
    void onRefusedBlock();
    void answerConfiguration(bool accepted);
    void endDownload(EndKind kind);
    void endRun(EndKind kind, std::optional<LinkFailure> failure = std::nullopt);

    // The line rate (conversation_rate.cpp).
    void switchRate();
    void requestRate(int baud, RateStage stage);
    void probe(RateStage stage);
    void onRateAnswer(Next answer, RateStage stage);
    void onProbeAnswer(bool answered, RateStage stage);
    void onProbeRefused();
    void useRate(int baud);
    // refused: the logger said no, so no late answer can switch it.
    void rateFallback(const QString& why, bool refused = false);
    void rateDone();
    void restoreRate();
    void askBackBlind();
    EndKind closingEnd() const;
    qint64 closingWaitMs() const;
    void doubtUndecidedRate();
    bool switchOutstanding() const;
    void onClosingAnswer(uint8_t id, bool accepted);
    void onClosingTimeout();
    void finishClosing();

    // Looking for a logger left at another rate (conversation_search.cpp).
    bool searchForLogger(FailureKind kind);
    void searchAt(int baud);
    void searchNext();
    int searchWaitMs() const;
    void putBack();
    void onPutBackAnswered();

    LinkTimings timings_;
    CommandSet commands_;
    LinkReceiver receiver_;
    RoundTrip roundTrip_;
    QByteArray received_;
    State state_;
    Actions* out_ = nullptr;
    Millis now_ = 0;
    bool rawOwned_ = false;  // the raw block being read answers the exchange in progress
    std::size_t lastRawSize_[2] = {kSectorSize, kSectorSize};  // user data, sectors
    // Settings for the runs that start from now on (the session may change the first mid-run).
    bool downloadAfterStatus_ = true;
    int sectorsPerRequest_ = 1;
    int wantedRate_ = kBaseBaud;
    // The port's line rate: it outlasts a run (a close brings it back to 115200).
    int lineRate_ = kBaseBaud;
};

}  // namespace kav::link
