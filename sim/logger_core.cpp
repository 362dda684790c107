#include "logger_core.h"

#include "replies.h"

namespace kav::sim {
namespace {

constexpr std::size_t kMaxHostPayload = 255;  // host frames have a high length byte of 0
constexpr int kMaxSectorsPerRead = 255;
constexpr int kDefaultTrailerTail = 3;  // bytes a logger puts between the checksum and CR LF

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

QString idText(uint8_t id) {
    return QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

LoggerCore::LoggerCore(LoggerMemory memory, FaultSet faults, LoggerSettings settings, Trace* trace)
    : memory_(std::move(memory)),
      faults_(std::move(faults)),
      settings_(std::move(settings)),
      outputOn_(settings_.continuousOutput),
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

void LoggerCore::powerCycle() {
    outputOn_ = settings_.continuousOutput;
    silent_ = false;
    rx_.clear();
    note(QStringLiteral("POWER CYCLE"));
}

void LoggerCore::answer(const link::Frame& command, FeedResult& result) {
    const uint8_t id = command.id;
    const bool mute = silent_;  // what it sends at this rate never arrives
    if (withheld(id, result)) return;
    Transmission t;
    t.delayMs = faults_.amountFor(FaultKind::Delay, id).value_or(0);
    if (t.delayMs > 0) note(QStringLiteral("DELAY %1 ms").arg(t.delayMs));
    if (const auto n = faults_.amount(FaultKind::Garbage); n && *n > 0) {
        t.bytes = garbage(*n);
        if (trace_) trace_->addFrame("TX GARBAGE", t.bytes);
    }
    if (faults_.take(FaultKind::NoiseFrame, id)) t.bytes += link::buildFrame(0xAE, {});
    const Reply reply = refused(id) ? Reply{refusal(id)} : answerBytes(command);
    t.bytes += reply.bytes;
    if (faults_.take(FaultKind::Duplicate, id)) {
        note(QStringLiteral("DUPLICATE answer to %1").arg(idText(id)));
        t.bytes += reply.bytes;
    }
    t.lineRate = reply.lineRate;
    if (mute) {
        note(QStringLiteral("SILENT, the answer to %1 is lost").arg(idText(id)));
        t.bytes.clear();
    }
    if (!t.bytes.isEmpty() || t.delayMs > 0 || t.lineRate > 0) result.out.push_back(t);
    if (reply.vanish) {
        note(QStringLiteral("VANISH"));
        result.out.push_back(Transmission{{}, 0, true});
    }
}

// True when command id gets no answer at all: a lost reply, or the device going away instead
// (which is then queued).
bool LoggerCore::withheld(uint8_t id, FeedResult& result) {
    if (faults_.take(FaultKind::VanishAt, id)) {
        note(QStringLiteral("VANISH instead of answering %1").arg(idText(id)));
        result.out.push_back(Transmission{{}, 0, true});
        return true;
    }
    if (faults_.take(FaultKind::ReplyLost, id)) {
        note(QStringLiteral("LOST answer to %1").arg(idText(id)));
        return true;
    }
    return false;
}

bool LoggerCore::refused(uint8_t id) {
    return faults_.take(FaultKind::Refuse, id) ||
           (id == 0x18 && faults_.take(FaultKind::RefuseCriteria));
}

LoggerCore::Reply LoggerCore::answerBytes(const link::Frame& command) {
    const uint8_t id = command.id;
    switch (id) {
        case 0x01:  // restart
            return {ack(id)};
        case 0x02:
            return {ackThen(id, [this] { return frame(kIdVersion, versionBody()); })};
        case 0x05:
            return configurePort(command.body);
        case 0x09:
            if (!command.body.isEmpty())
                outputOn_ = settings_.continuousOutput && command.body[0] != 0;
            return {ack(id)};
        case 0x17:
            return {ackThen(id, [this] { return frame(kIdStatus, statusBody(memory_)); })};
        case 0x18:
            return {setCriteria(command.body)};
        case 0x19:
            memory_.clear();
            return {ack(id)};
        case 0x1D:
            return readSectors(command.body);
        case 0x76:
            return {ackThen(id, [this] { return readUserData(); })};
        default:
            return {refusal(id)};
    }
}

// Body: COM port, baud-rate index (0 = 4800 ... 8 = 921600), attributes (0 this power cycle
// only, 1 also in flash, 2 taken as 0). Every power cycle starts at 115200 all the same.
LoggerCore::Reply LoggerCore::configurePort(QByteArrayView body) {
    const int rate = body.size() == 3 ? lineRateOfIndex(uint8_t(body[1])) : 0;
    if (rate == 0 || uint8_t(body[2]) > 2) return {refusal(0x05)};
    Reply reply{ack(0x05)};
    if (faults_.take(FaultKind::RateNoSwitch)) return reply;
    // rate-silent: a transmitter that fails at any rate but 115200; the logger still obeys.
    silent_ = rate != kPowerOnRate && faults_.take(FaultKind::RateSilent);
    if (silent_) note(QStringLiteral("SILENT until back at 115200"));
    reply.lineRate = rate;
    return reply;
}

// Body: start sector and sector count, big-endian u16 each.
LoggerCore::Reply LoggerCore::readSectors(QByteArrayView body) {
    if (body.size() != 4) return {refusal(0x1D)};
    const int start = be16(body, 0);
    const int count = be16(body, 2);
    if (count < 1 || count > kMaxSectorsPerRead || start + count > memory_.totalSectors())
        return {refusal(0x1D)};
    if (const auto limit = faults_.amount(FaultKind::VanishAfter); limit) {
        const int allowed = *limit - sectorsSent_;
        if (allowed <= 0) return {{}, true};
        if (allowed < count) {  // the device goes away in the middle of the block
            QByteArray partial = ack(0x1D);
            for (int s = start; s < start + allowed; ++s) partial += memory_.sector(s);
            sectorsSent_ += allowed;
            return {partial, true};
        }
    }
    QByteArray out = ack(0x1D);
    for (int s = start; s < start + count; ++s) {
        if (faults_.take(FaultKind::BlockLost, s)) {
            note(QStringLiteral("LOST block of sector %1").arg(s));
            return {out};
        }
    }
    out += sectorBlock(start, count);
    return {out};
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
    const QByteArray area = userDataArea(settings_.serialNumber);
    note(QStringLiteral("TX RAW user data"));
    return rawBlock(area, xorOf(area), blockExtra());
}

QByteArray LoggerCore::setCriteria(QByteArrayView body) {
    LogCriteria criteria;
    if (!parseCriteria(body, criteria)) return refusal(0x18);
    memory_.criteria = criteria;
    return ack(0x18);
}

QByteArray LoggerCore::frame(uint8_t id, QByteArray body) {
    QByteArray bytes = link::buildFrame(id, body);
    if (faults_.take(FaultKind::FrameChecksum, id)) bytes[bytes.size() - 3] ^= char(0xFF);
    if (trace_) trace_->addFrame("TX", bytes);
    return bytes;
}

// The tail between the block checksum and CR LF: never a start byte or a CR.
QByteArray LoggerCore::blockExtra() {
    static const char pattern[] = {'\x00', '\x55', '\xAA', '\xFF'};
    QByteArray extra;
    const int n = faults_.amount(FaultKind::ExtraTrailer)
                      .value_or(settings_.bareTrailer ? 0 : kDefaultTrailerTail);
    for (int i = 0; i < n; ++i) extra.append(pattern[i % int(sizeof pattern)]);
    return extra;
}

void LoggerCore::note(const QString& line) {
    if (trace_) trace_->add(line);
}

}  // namespace kav::sim
