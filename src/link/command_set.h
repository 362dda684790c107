#pragma once
// The commands the host sends to the logger, and the one-command-at-a-time rule: each kind of
// command owns a bit of the outstanding-command mask FlagACK; a command clears (toggles) its
// bit when issued and is written only when that bit is then the only cleared one.

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include "link/frame.h"

namespace kav::link {

// Message ids of the commands and replies.
namespace msg {
constexpr uint8_t GetSoftware = 0x02, SerialConfig = 0x05, StartStopOutput = 0x09, SetRate = 0x0E,
                  GetRate = 0x10, GetStatus = 0x17, SetLogCriteria = 0x18, ClearMemory = 0x19,
                  DataQuery = 0x1D, GetDatum = 0x2D, GetNavMode = 0x3D, GetUserData = 0x76,
                  SetUserData = 0x77;
constexpr uint8_t Version = 0x80, Ack = 0x83, Nack = 0x84, Ignored86 = 0x86, LogStatus = 0x94,
                  IgnoredB5 = 0xB5;
}  // namespace msg

constexpr int32_t kMaskIdle = 0x3FFF;  // no command waiting for its answer

// The line rate the logger starts at after power-on.
constexpr int kBaseBaud = 115200;
// The rate's index in the serial port configuration (0 = 4800 ... 8 = 921600), if it has one.
std::optional<uint8_t> baudIndex(int baud);

// The mask bit owned by a command's message id, if it has one.
std::optional<int32_t> bitForId(uint8_t id);

// The frames of the commands sent wait in an outbox until the caller takes them to the port.
class CommandSet {
  public:
    int32_t FlagACK() const { return flagAck_; }
    void setFlagACK(int32_t mask) { flagAck_ = mask; }
    // Sets a bit whatever its state, before a command is asked for again.
    void restoreBit(int32_t bit) { flagAck_ |= bit; }
    // True when flagMessage's bit is the only cleared bit of the mask.
    bool Acknowledge(int32_t flagMessage) const { return (flagMessage ^ flagAck_) == kMaskIdle; }

    uint8_t ACKByte() const { return ackByte_; }
    void setACKByte(uint8_t id) { ackByte_ = id; }
    bool PortRemoved() const { return portRemoved_; }
    void setPortRemoved(bool removed) { portRemoved_ = removed; }

    // The frames sent and not yet taken, in order.
    const QList<QByteArray>& outbox() const { return outbox_; }
    QList<QByteArray> takeFrames() { return std::exchange(outbox_, {}); }

    // Each returns true when its frame was sent (to the outbox); refusals are silent.
    bool GetSoftware();
    bool StartStopOutput(uint8_t onOff);
    bool GetUserData();
    bool GetStatus();
    bool DataQuery(uint16_t blockStart, uint16_t blockEnd);
    bool SetLogCriteria(const std::array<uint16_t, 7>& data);
    bool clearMemory();
    bool SetUpdateRate(uint8_t rate);
    bool SetRate(uint8_t rate);
    bool GetRate();
    bool GetDatum();
    bool GetNavMode();
    bool SetUserData(QByteArrayView serialNo);
    // Serial port configuration: port 0, the rate's index, attributes 0 (until power-off).
    bool SerialConfig(uint8_t baudIndex);

  private:
    bool issue(uint8_t id, QByteArrayView body, bool resetAckByte = true);
    bool QueueToSend(int32_t ackMessage);
    bool SendPacket(QByteArrayView block);

    FrameBuilder builder_;
    QList<QByteArray> outbox_;
    int32_t flagAck_ = kMaskIdle;
    uint8_t ackByte_ = 0;
    bool portRemoved_ = false;
};

}  // namespace kav::link
