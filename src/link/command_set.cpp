#include "command_set.h"

namespace kav::link {

namespace {

struct IdBit {
    uint8_t id;
    int32_t bit;
};

constexpr std::array<IdBit, 13> kIdBits{{
    {msg::GetSoftware, 0x0002},
    {msg::SerialConfig, 0x0004},
    {msg::StartStopOutput, 0x0008},
    {msg::SetRate, 0x0010},
    {msg::GetRate, 0x0020},
    {msg::GetStatus, 0x0040},
    {msg::SetLogCriteria, 0x0080},
    {msg::ClearMemory, 0x0100},
    {msg::DataQuery, 0x0200},
    {msg::GetDatum, 0x0400},
    {msg::SetUserData, 0x0800},
    {msg::GetNavMode, 0x1000},
    {msg::GetUserData, 0x2000},
}};

void appendBigEndian32(QByteArray& out, uint32_t v) {
    out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

}  // namespace

std::optional<uint8_t> baudIndex(int baud) {
    constexpr std::array<int, 9> kRates{4800,   9600,   19200,  38400, 57600,
                                        115200, 230400, 460800, 921600};
    for (std::size_t i = 0; i < kRates.size(); ++i)
        if (kRates[i] == baud) return uint8_t(i);
    return std::nullopt;
}

std::optional<int32_t> bitForId(uint8_t id) {
    for (const IdBit& entry : kIdBits)
        if (entry.id == id) return entry.bit;
    return std::nullopt;
}

bool CommandSet::issue(uint8_t id, QByteArrayView body, bool resetAckByte) {
    if (resetAckByte) ackByte_ = 0;
    const int32_t bit = *bitForId(id);
    flagAck_ ^= bit;
    builder_.OutPacketInit(static_cast<uint8_t>(body.size() + 1));
    builder_.OutPacketAddWithCRC(id);
    for (char c : body) builder_.OutPacketAddWithCRC(static_cast<uint8_t>(c));
    builder_.OutPacketClose();
    return QueueToSend(bit);
}

bool CommandSet::QueueToSend(int32_t ackMessage) {
    if (!Acknowledge(ackMessage)) return false;
    const QByteArray frame = builder_.frame();
    return SendPacket(QByteArrayView(frame).first(builder_.OutPacketIndex() & 0xFF));
}

bool CommandSet::SendPacket(QByteArrayView block) {
    if (portRemoved_) return false;
    outbox_.append(block.toByteArray());
    return true;
}

bool CommandSet::GetSoftware() {
    return issue(msg::GetSoftware, QByteArray(1, '\0'));
}

bool CommandSet::StartStopOutput(uint8_t onOff) {
    return issue(msg::StartStopOutput, QByteArray(1, char(onOff)));
}

bool CommandSet::GetUserData() {
    return issue(msg::GetUserData, {});
}
bool CommandSet::GetStatus() {
    return issue(msg::GetStatus, {});
}

// DataQuery body: first sector (u16), sector count (u16), both big-endian.
bool CommandSet::DataQuery(uint16_t blockStart, uint16_t blockEnd) {
    const char body[4] = {char(blockStart >> 8), char(blockStart), char(blockEnd >> 8),
                          char(blockEnd)};
    return issue(msg::DataQuery, QByteArrayView(body, 4));
}

// SetLogCriteria body (26 bytes): max time, min time, max distance, min distance, max speed,
// min speed as big-endian u32, then the logging flag byte and a zero byte.
bool CommandSet::SetLogCriteria(const std::array<uint16_t, 7>& data) {
    QByteArray body;
    for (int i = 0; i < 6; ++i) appendBigEndian32(body, data[std::size_t(i)]);
    body.append(char(data[6] & 0xFF)).append('\0');
    return issue(msg::SetLogCriteria, body);
}

bool CommandSet::clearMemory() {
    return issue(msg::ClearMemory, {}, false);
}
bool CommandSet::SetUpdateRate(uint8_t rate) {
    return issue(msg::SetRate, QByteArray(1, char(rate)));
}
bool CommandSet::SetRate(uint8_t rate) {
    return SetUpdateRate(rate);
}
bool CommandSet::GetRate() {
    return issue(msg::GetRate, {});
}
bool CommandSet::GetDatum() {
    return issue(msg::GetDatum, {});
}
bool CommandSet::GetNavMode() {
    return issue(msg::GetNavMode, {});
}

// Body: COM port, rate index, attributes. Attributes 0 keeps the rate until the logger is
// switched off, so a power cycle always brings it back to 115200.
bool CommandSet::SerialConfig(uint8_t baudIndex) {
    const char body[3] = {0, char(baudIndex), 0};
    return issue(msg::SerialConfig, QByteArrayView(body, 3));
}

// The frame carries the single byte 0x63; the serial number itself is not placed in it.
bool CommandSet::SetUserData(QByteArrayView serialNo) {
    Q_UNUSED(serialNo);
    return issue(msg::SetUserData, QByteArray(1, char(0x63)));
}

}  // namespace kav::link
