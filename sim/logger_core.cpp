#include "logger_core.h"

#include "replies.h"

namespace kav::sim {
namespace {

constexpr std::size_t kMaxHostPayload = 255;  // host frames have a high length byte of 0
constexpr int kMaxSectorsPerRead = 255;

// Stray bytes for the garbage switch: line ends, a lone start byte, text.
QByteArray garbage(int count) {
    static const char pattern[] = {'\x55', '\xAA', '\x0D', '\x0A', '\xA0', '\x00', '\xFF', '$'};
    QByteArray bytes;
    for (int i = 0; i < count; ++i) bytes.append(pattern[i % int(sizeof pattern)]);
    return bytes;
}

int be16(QByteArrayView body, int offset) {
    return (uint8_t(body[offset]) << 8) | uint8_t(body[offset + 1]);
}

}  // namespace

LoggerCore::LoggerCore(LoggerMemory memory, FaultSet faults, QString serialNumber,
                       bool continuousOutput, Trace* trace)
    : memory_(std::move(memory)),
      faults_(std::move(faults)),
      serialNumber_(std::move(serialNumber)),
      continuousOutput_(continuousOutput),
      outputOn_(continuousOutput),
      trace_(trace) {}

FeedResult LoggerCore::feed(QByteArrayView bytes) {
    FeedResult result;
    rx_.append(bytes);
    while (!rx_.isEmpty()) {
        const link::FrameScan scan = link::scanFrame(rx_, kMaxHostPayload);
        if (scan.status == link::FrameScan::Status::NeedMore) break;
        rx_.remove(0, qsizetype(scan.consumed));
        if (scan.status == link::FrameScan::Status::Invalid) continue;
        const bool good = scan.frame.checksumOk();
        if (trace_) trace_->addFrame("RX", scan.frame.raw, good ? nullptr : "ignored");
        if (!good) continue;
        result.commands.push_back(scan.frame.id);
        answer(scan.frame, result);
    }
    return result;
}

void LoggerCore::answer(const link::Frame& command, FeedResult& result) {
    if (faults_.take(FaultKind::ReplyLost, command.id)) {
        note(
            QStringLiteral("LOST answer to %1").arg(command.id, 2, 16, QLatin1Char('0')).toUpper());
        return;
    }
    Transmission t;
    t.delayMs = faults_.amountFor(FaultKind::Delay, command.id).value_or(0);
    if (t.delayMs > 0) note(QStringLiteral("DELAY %1 ms").arg(t.delayMs));
    if (const auto n = faults_.amount(FaultKind::Garbage); n && *n > 0) {
        t.bytes = garbage(*n);
        if (trace_) trace_->addFrame("TX GARBAGE", t.bytes);
    }
    bool vanish = false;
    t.bytes += answerBytes(command, vanish);
    if (!t.bytes.isEmpty() || t.delayMs > 0) result.out.push_back(t);
    if (vanish) {
        note(QStringLiteral("VANISH"));
        result.out.push_back(Transmission{{}, 0, true});
    }
}

QByteArray LoggerCore::answerBytes(const link::Frame& command, bool& vanish) {
    const uint8_t id = command.id;
    switch (id) {
        case 0x01:  // restart
        case 0x05:  // serial port configuration
            return ack(id);
        case 0x02:
            return ack(id) + frame(kIdVersion, versionBody());
        case 0x09:
            if (!command.body.isEmpty()) outputOn_ = continuousOutput_ && command.body[0] != 0;
            return ack(id);
        case 0x17:
            return ack(id) + frame(kIdStatus, statusBody(memory_));
        case 0x18:
            return setCriteria(command.body);
        case 0x19:
            memory_.clear();
            return ack(id);
        case 0x1D:
            return readSectors(command.body, vanish);
        case 0x76:
            return ack(id) + readUserData();
        default:
            return refusal(id);
    }
}

// Body: start sector and sector count, big-endian u16 each.
QByteArray LoggerCore::readSectors(QByteArrayView body, bool& vanish) {
    if (body.size() != 4) return refusal(0x1D);
    const int start = be16(body, 0);
    const int count = be16(body, 2);
    if (count < 1 || count > kMaxSectorsPerRead || start + count > memory_.totalSectors())
        return refusal(0x1D);
    if (const auto limit = faults_.amount(FaultKind::VanishAfter); limit) {
        const int allowed = *limit - sectorsSent_;
        if (allowed <= 0) {
            vanish = true;
            return {};
        }
        if (allowed < count) {  // the device goes away in the middle of the block
            vanish = true;
            QByteArray partial;
            for (int s = start; s < start + allowed; ++s) partial += memory_.sector(s);
            sectorsSent_ += allowed;
            return ack(0x1D) + partial;
        }
    }
    QByteArray out = ack(0x1D);
    for (int s = start; s < start + count; ++s) {
        if (faults_.take(FaultKind::BlockLost, s)) {
            note(QStringLiteral("LOST block of sector %1").arg(s));
            return out;
        }
    }
    return out + sectorBlock(start, count);
}

QByteArray LoggerCore::sectorBlock(int start, int count) {
    QByteArray data;
    bool corrupt = false;
    for (int s = start; s < start + count; ++s) {
        data += memory_.sector(s);
        corrupt = faults_.take(FaultKind::BlockChecksum, s) || corrupt;
        note(QStringLiteral("TX RAW sector %1").arg(s));
    }
    sectorsSent_ += count;
    const uint8_t sum = xorOf(data);
    return rawBlock(data, corrupt ? uint8_t(~sum) : sum, blockExtra());
}

QByteArray LoggerCore::readUserData() {
    if (faults_.take(FaultKind::BlockLost, kUserDataTarget)) {
        note(QStringLiteral("LOST block of user data"));
        return {};
    }
    const QByteArray area = userDataArea(serialNumber_);
    note(QStringLiteral("TX RAW user data"));
    return rawBlock(area, xorOf(area), blockExtra());
}

QByteArray LoggerCore::setCriteria(QByteArrayView body) {
    LogCriteria criteria;
    if (faults_.take(FaultKind::RefuseCriteria) || !parseCriteria(body, criteria))
        return refusal(0x18);
    memory_.criteria = criteria;
    return ack(0x18);
}

QByteArray LoggerCore::frame(uint8_t id, QByteArray body) {
    QByteArray bytes = link::buildFrame(id, body);
    if (faults_.take(FaultKind::FrameChecksum, id)) bytes[bytes.size() - 3] ^= char(0xFF);
    if (trace_) trace_->addFrame("TX", bytes);
    return bytes;
}

QByteArray LoggerCore::blockExtra() {
    static const char pattern[] = {'\x00', '\x55', '\xAA', '\xFF'};
    QByteArray extra;
    const int n = faults_.amount(FaultKind::ExtraTrailer).value_or(0);
    for (int i = 0; i < n; ++i) extra.append(pattern[i % int(sizeof pattern)]);
    return extra;
}

void LoggerCore::note(const QString& line) {
    if (trace_) trace_->add(line);
}

}  // namespace kav::sim
