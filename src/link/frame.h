#pragma once
// The binary message frame shared by the host and the logger:
//
//   A0 A1 | len hi | len lo | id | body (len-1 bytes) | cs | 0D 0A
//
// len counts the id and the body; cs is the XOR of the id and every body byte.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kav::link {

constexpr uint8_t kFrameStart1 = 0xA0;
constexpr uint8_t kFrameStart2 = 0xA1;
constexpr uint8_t kFrameEnd1 = 0x0D;
constexpr uint8_t kFrameEnd2 = 0x0A;
constexpr std::size_t kFrameOverhead = 7;  // start, length, checksum and end bytes

// Builder of one outgoing frame in a fixed buffer, byte by byte.
class FrameBuilder {
  public:
    static constexpr std::size_t kBufferSize = 4097;

    // Clears the whole buffer and writes the start bytes and the payload length.
    void OutPacketInit(uint8_t size);
    // Appends a byte outside the checksum.
    void OutPacketAdd(uint8_t data);
    // Appends a byte and folds it into the checksum.
    void OutPacketAddWithCRC(uint8_t data);
    // Appends the checksum and the end bytes.
    void OutPacketClose();

    uint16_t OutPacketIndex() const { return index_; }
    const std::array<uint8_t, kBufferSize>& OutPacket() const { return buffer_; }
    // The finished frame: bytes 0 .. OutPacketIndex-1.
    QByteArray frame() const;

  private:
    std::array<uint8_t, kBufferSize> buffer_{};
    uint16_t index_ = 0;
    uint16_t crc_ = 0;
};

// Builds a whole frame for message id with the given body.
QByteArray buildFrame(uint8_t id, QByteArrayView body = {});

// True when the XOR of typeId and data differs from crc.
bool CRCNotOK(uint8_t typeId, QByteArrayView data, uint8_t crc);

// "[$" + upper-case hex without leading zeros + "]": 0 -> [$0], 0xB5 -> [$B5].
QString IntToHexa(uint8_t s);

// One frame taken apart.
struct Frame {
    uint8_t id = 0;
    QByteArray body;       // bytes after the id, without checksum and end bytes
    uint8_t checksum = 0;  // checksum byte as received
    QByteArray raw;        // the whole frame as received
    bool checksumOk() const { return !CRCNotOK(id, body, checksum); }
};

// Result of looking for a frame at the start of a byte buffer.
struct FrameScan {
    enum class Status {
        NeedMore,  // the bytes may begin a frame; more are needed to tell
        Found,     // a whole frame, read by its length field, with the end bytes in place
        Invalid,   // no frame starts here (no start bytes, zero length or wrong end bytes)
    };
    Status status = Status::NeedMore;
    std::size_t consumed = 0;  // bytes the frame occupies (Found) or to skip (Invalid)
    Frame frame;
};

// Reads a frame by its length field from the start of bytes; never reads past them.
// maxPayload bounds the length field so that a corrupt length cannot stall the reader.
FrameScan scanFrame(QByteArrayView bytes, std::size_t maxPayload = 4096);

}  // namespace kav::link
