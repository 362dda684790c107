#include "frame.h"

#include <algorithm>

namespace kav::link {

void FrameBuilder::OutPacketInit(uint8_t size) {
    buffer_.fill(0);
    crc_ = 0;
    buffer_[0] = kFrameStart1;
    buffer_[1] = kFrameStart2;
    buffer_[2] = 0;
    buffer_[3] = size;
    index_ = 4;
}

void FrameBuilder::OutPacketAdd(uint8_t data) {
    if (index_ < kBufferSize) buffer_[index_] = data;
    ++index_;
}

void FrameBuilder::OutPacketAddWithCRC(uint8_t data) {
    OutPacketAdd(data);
    crc_ ^= data;
}

void FrameBuilder::OutPacketClose() {
    OutPacketAdd(static_cast<uint8_t>(crc_ & 0xFF));
    OutPacketAdd(kFrameEnd1);
    OutPacketAdd(kFrameEnd2);
}

QByteArray FrameBuilder::frame() const {
    const std::size_t n = std::min<std::size_t>(index_, kBufferSize);
    return QByteArray(reinterpret_cast<const char*>(buffer_.data()), static_cast<qsizetype>(n));
}

QByteArray buildFrame(uint8_t id, QByteArrayView body) {
    const std::size_t payload = static_cast<std::size_t>(body.size()) + 1;
    QByteArray out;
    out.reserve(static_cast<qsizetype>(payload + kFrameOverhead));
    out.append(char(kFrameStart1)).append(char(kFrameStart2));
    out.append(char((payload >> 8) & 0xFF)).append(char(payload & 0xFF));
    uint8_t crc = id;
    out.append(char(id));
    for (char c : body) {
        crc ^= static_cast<uint8_t>(c);
        out.append(c);
    }
    out.append(char(crc)).append(char(kFrameEnd1)).append(char(kFrameEnd2));
    return out;
}

bool CRCNotOK(uint8_t typeId, QByteArrayView data, uint8_t crc) {
    uint8_t check = typeId;
    for (char c : data) check ^= static_cast<uint8_t>(c);
    return check != crc;
}

QString IntToHexa(uint8_t s) {
    return QStringLiteral("[$") + QString::number(s, 16).toUpper() + QStringLiteral("]");
}

FrameScan scanFrame(QByteArrayView bytes, std::size_t maxPayload) {
    FrameScan scan;
    const auto at = [&](std::size_t i) { return static_cast<uint8_t>(bytes[qsizetype(i)]); };
    const std::size_t n = static_cast<std::size_t>(bytes.size());
    if (n >= 1 && at(0) != kFrameStart1) return {FrameScan::Status::Invalid, 1, {}};
    if (n >= 2 && at(1) != kFrameStart2) return {FrameScan::Status::Invalid, 1, {}};
    if (n < 4) return scan;
    const std::size_t payload = (std::size_t(at(2)) << 8) | at(3);
    if (payload == 0 || payload > maxPayload) return {FrameScan::Status::Invalid, 1, {}};
    const std::size_t total = payload + kFrameOverhead;
    if (n < total) return scan;
    if (at(total - 2) != kFrameEnd1 || at(total - 1) != kFrameEnd2)
        return {FrameScan::Status::Invalid, 1, {}};
    scan.status = FrameScan::Status::Found;
    scan.consumed = total;
    scan.frame.id = at(4);
    scan.frame.body = bytes.sliced(5, qsizetype(payload - 1)).toByteArray();
    scan.frame.checksum = at(4 + payload);
    scan.frame.raw = bytes.first(qsizetype(total)).toByteArray();
    return scan;
}

}  // namespace kav::link
