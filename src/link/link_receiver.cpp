#include "link_receiver.h"

#include <cstring>

namespace kav::link {

namespace {

uint8_t byteAt(QByteArrayView bytes, std::size_t i) {
    return static_cast<uint8_t>(bytes[static_cast<qsizetype>(i)]);
}

ReceiverEvent skipped(std::size_t count) {
    ReceiverEvent event;
    if (count == 0) return event;
    event.kind = ReceiverEvent::Kind::Skipped;
    event.consumed = count;
    return event;
}

// Start bytes and a sane length, all announced bytes present, but no end bytes in place.
bool misplacedEnd(QByteArrayView bytes, std::size_t maxPayload, std::size_t* total) {
    const std::size_t n = static_cast<std::size_t>(bytes.size());
    if (n < 4 || byteAt(bytes, 1) != kFrameStart2) return false;
    const std::size_t payload = (std::size_t(byteAt(bytes, 2)) << 8) | byteAt(bytes, 3);
    if (payload == 0 || payload > maxPayload) return false;
    *total = payload + kFrameOverhead;
    return n >= *total;
}

}  // namespace

void LinkReceiver::expectRawBlock(std::size_t dataSize) {
    mode_ = Mode::RawBlock;
    rawDataSize_ = dataSize;
}

void LinkReceiver::reset() {
    mode_ = Mode::Frames;
    tailSeen_ = 0;
}

ReceiverEvent LinkReceiver::next(QByteArrayView bytes) {
    if (bytes.isEmpty()) return {};
    switch (mode_) {
        case Mode::RawBlock:
            return nextRawBlock(bytes);
        case Mode::TrailerTail:
            return nextTrailerTail(bytes);
        case Mode::Frames:
            break;
    }
    return nextFrame(bytes);
}

// Frame layout: A0 A1, payload length (2 bytes, big-endian), id, body, XOR checksum, 0D 0A.
// The frame is taken by its length, so 0D 0A inside the body or checksum does not end it.
ReceiverEvent LinkReceiver::nextFrame(QByteArrayView bytes) const {
    if (byteAt(bytes, 0) != kFrameStart1) {
        const qsizetype start = bytes.indexOf(char(kFrameStart1));
        return skipped(start < 0 ? std::size_t(bytes.size()) : std::size_t(start));
    }
    FrameScan scan = scanFrame(bytes, kMaxPayload);
    ReceiverEvent event;
    if (scan.status == FrameScan::Status::NeedMore) return event;
    if (scan.status == FrameScan::Status::Found) {
        event.kind = ReceiverEvent::Kind::Frame;
        event.consumed = scan.consumed;
        event.frame = std::move(scan.frame);
        return event;
    }
    std::size_t total = 0;
    if (!misplacedEnd(bytes, kMaxPayload, &total)) return skipped(1);
    // Report the broken frame, then look for a frame again from the next byte.
    event.kind = ReceiverEvent::Kind::BadFrame;
    event.consumed = 1;
    event.bytes = bytes.first(qsizetype(total)).toByteArray();
    return event;
}

// Raw block layout: data (rawDataSize_ bytes), "END", 00, "CHECKSUM=", checksum (XOR of the
// data), then possibly a few more bytes, then 0D 0A. The block is taken by its length alone.
ReceiverEvent LinkReceiver::nextRawBlock(QByteArrayView bytes) {
    const std::size_t needed = rawDataSize_ + kRawTrailerMarkSize + 1;
    ReceiverEvent event;
    if (std::size_t(bytes.size()) < needed) return event;
    mode_ = Mode::TrailerTail;
    tailSeen_ = 0;
    event.consumed = needed;
    const QByteArrayView mark = bytes.sliced(qsizetype(rawDataSize_), kRawTrailerMarkSize);
    if (std::memcmp(mark.data(), kRawTrailerMark, kRawTrailerMarkSize) != 0) {
        event.kind = ReceiverEvent::Kind::BadTrailer;
        return event;
    }
    event.kind = ReceiverEvent::Kind::RawBlock;
    event.block.data = bytes.first(qsizetype(rawDataSize_)).toByteArray();
    event.block.checksum = byteAt(bytes, needed - 1);
    return event;
}

// Whatever follows the checksum byte up to CR LF is dropped. A start byte or too long a tail
// ends the skipping early, so a missing CR LF cannot swallow the next frame.
ReceiverEvent LinkReceiver::nextTrailerTail(QByteArrayView bytes) {
    const std::size_t n = static_cast<std::size_t>(bytes.size());
    for (std::size_t i = 0; i < n; ++i) {
        const uint8_t c = byteAt(bytes, i);
        if (c == kFrameStart1) {
            mode_ = Mode::Frames;
            return i > 0 ? skipped(i) : nextFrame(bytes);
        }
        if (c == kFrameEnd1 && i + 1 == n) {
            tailSeen_ += i;
            return skipped(i);  // wait for the byte after CR
        }
        if (c == kFrameEnd1 && byteAt(bytes, i + 1) == kFrameEnd2) {
            mode_ = Mode::Frames;
            return skipped(i + 2);
        }
        if (tailSeen_ + i + 1 >= kMaxTrailerTail) {
            mode_ = Mode::Frames;
            return skipped(i + 1);
        }
    }
    tailSeen_ += n;
    return skipped(n);
}

}  // namespace kav::link
