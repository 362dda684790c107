#pragma once
// The conversation with the logger: commands under the mask rule, the handling of every reply,
// the connect handshake and the sector-by-sector download as a chain of events, time-outs and
// retries. It never touches widgets: it reports upward through its signals.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include "link/command_set.h"
#include "link/link_receiver.h"
#include "link/reply_format.h"
#include "link/transport.h"

namespace kav::link {

// Wire time of count bytes at the given rate, 10 bits a byte, in milliseconds (rounded up).
int wireTimeMs(int count, int baud = 115200);

struct LinkTimings {
    // A reply frame (acknowledgement, version, status) must start arriving within this.
    int replyTimeoutMs = 1000;
    // A raw block after its acknowledgement: three times its wire time plus a margin.
    int rawBlockTimeoutMs = 3 * wireTimeMs(int(kSectorSize + kRawTrailerMarkSize + 3)) + 500;
    // The memory clear is answered only once the flash is erased.
    int clearTimeoutMs = 30000;
    // After a request made more than once, the wait for late answers before the next one.
    int settleMs = rawBlockTimeoutMs;
};

// How many times a request is made in all before the link gives up on it.
constexpr int kMaxSectorAttempts = 3;
constexpr int kMaxCommandAttempts = 3;

class LoggerLink : public QObject {
    Q_OBJECT
  public:
    explicit LoggerLink(Transport& transport, LinkTimings timings = {}, QObject* parent = nullptr);

    // Opens the port and starts the handshake; nothing is sent when the port does not open.
    OpenResult connectLogger(const QString& portName);
    // The handshake on the open port: mask idle, ACKByte 0, InitACK, PortRemoved cleared,
    // then GetSoftware.
    void startHandshake();
    // Raw switch off, StartStopOutput(1) under the mask rule, port closed.
    void disconnectLogger();

    // The command set; each returns true when its frame reached the port.
    bool GetSoftware();
    bool StartStopOutput(uint8_t onOff);
    bool GetUserData();
    bool GetStatus();
    bool DataQuery(uint16_t blockStart, uint16_t blockEnd);
    bool SetLogCriteria(const std::array<uint16_t, 7>& data);
    bool clearMemory();  // asks nothing: the window confirms first
    bool SetUpdateRate(uint8_t rate);
    bool SetRate(uint8_t rate);
    bool GetRate();
    bool GetDatum();
    bool GetNavMode();
    bool SetUserData(QByteArrayView serialNo);

    // Whether the log status starts the download (the handshake's normal course). A front end
    // that only configures or clears the logger turns it off and stays idle after the status.
    void setDownloadAfterStatus(bool download) { downloadAfterStatus_ = download; }
    void setPortRemoved(bool removed) { commands_.setPortRemoved(removed); }
    bool PortRemoved() const { return commands_.PortRemoved(); }
    int32_t FlagACK() const { return commands_.FlagACK(); }
    uint8_t ACKByte() const { return commands_.ACKByte(); }
    bool InitACK() const { return initAck_; }
    bool FlagComportTrigger() const { return receiver_.expectingRawBlock(); }
    uint16_t SectorsToDownload() const { return sectorsToDownload_; }
    int CurrentSector() const { return currentSector_; }
    QString Firmware() const { return firmware_; }
    QString Hardware() const { return hardware_; }
    const LinkTimings& timings() const { return timings_; }

  signals:
    void versionReceived(const QString& firmware, const QString& hardware, const QString& label);
    void serialNumberReceived(const QString& serialNumber);
    void logStatusReceived(const kav::link::LogStatus& status);
    void sectorReceived(int sector, const QByteArray& data);
    void downloadProgress(int sector, int lastSector);
    void downloadFinished();
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
    // The link gave up on an exchange; the mask is released and what was read is kept.
    void linkFailed(const QString& text);
    void portLost(const QString& reason);

  private:
    enum class Awaiting { Ack, RawBlock, Status };
    struct Pending {
        uint8_t id = 0;
        std::function<bool()> issue;
        Awaiting stage = Awaiting::Ack;
        int attempts = 1;
    };

    bool track(uint8_t id, std::function<bool()> issue);
    void awaitNext(Awaiting stage);
    void retryOrGiveUp(const QString& failure);
    void giveUp(const QString& text);
    void onTimeout();
    void resetReception();
    void onBytes(const QByteArray& bytes);
    void onPortLost(const QString& reason);
    void dispatch(const ReceiverEvent& event);
    void handleFrame(const Frame& frame);
    void handleVersion(const QByteArray& body);
    void handleAck(uint8_t id);
    void handleNack(uint8_t id);
    void handleLogStatus(const QByteArray& body);
    void handleRawBlock(const RawBlock& block);
    void handleSector(const RawBlock& block, bool retried);
    void handleUserData(const RawBlock& block, bool retried);
    // Ends the request in progress; true when it had been made more than once.
    bool settle();
    void continueWith(bool afterRetry, std::function<void()> next);
    void answerConfiguration(const QString& flagConfig, bool accepted);
    QString describe(const Pending& pending, const QString& failure) const;

    Transport& transport_;
    LinkTimings timings_;
    CommandSet commands_;
    LinkReceiver receiver_;
    QByteArray received_;
    bool dispatching_ = false;
    QTimer timer_;
    QTimer settleTimer_;
    std::function<void()> nextStep_;
    std::optional<Pending> pending_;
    uint8_t rawKind_ = 0;  // the id whose raw block is expected: 0x1D or 0x76
    bool initAck_ = false;
    bool downloadAfterStatus_ = true;
    QString flagConfig_;
    QString firmware_, hardware_;
    uint16_t sectorsToDownload_ = 0;
    int currentSector_ = 0;  // wider than a sector number, so the last one cannot wrap
};

}  // namespace kav::link
