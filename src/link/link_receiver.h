#pragma once
// The link's wire reader, free of I/O: it is shown the bytes received so far and tells what
// they begin with (need more, a frame, a raw block, an error) and how many bytes that took.

#include <cstddef>

#include <QByteArray>
#include <QByteArrayView>

#include "link/frame.h"
#include "link/raw_block.h"

namespace kav::link {

struct ReceiverEvent {
    enum class Kind {
        NeedMore,    // nothing complete yet; keep the bytes and show them again with more
        Frame,       // a whole frame read by its length field (its checksum is not judged here)
        RawBlock,    // a raw block gathered by its length (its checksum is not judged here)
        Skipped,     // bytes that are neither a frame nor a raw block were passed over
        BadFrame,    // start bytes and a length, but no end bytes where the length puts them
        BadTrailer,  // a raw block whose data is not followed by "END", 0, "CHECKSUM="
    };
    Kind kind = Kind::NeedMore;
    std::size_t consumed = 0;  // bytes of the input this event accounts for
    Frame frame;               // Frame
    RawBlock block;            // RawBlock
    QByteArray bytes;          // BadFrame: the bytes the length field announced
};

class LinkReceiver {
  public:
    // Longest payload accepted from the logger; a larger length field is taken as noise.
    static constexpr std::size_t kMaxPayload = 1024;
    // Bytes the logger may add after the checksum byte of a raw block before its CR LF.
    static constexpr std::size_t kMaxTrailerTail = 64;

    // The next bytes are a raw block of dataSize data bytes (after the acknowledgement of
    // 0x1D or 0x76); no frame is looked for until it has been read.
    void expectRawBlock(std::size_t dataSize = kSectorSize);
    bool expectingRawBlock() const { return mode_ == Mode::RawBlock; }
    // Back to reading frames, forgetting any raw block expected.
    void reset();

    // Looks at the start of bytes, which must begin where the last event's consumed ended.
    ReceiverEvent next(QByteArrayView bytes);

  private:
    enum class Mode { Frames, RawBlock, TrailerTail };

    ReceiverEvent nextFrame(QByteArrayView bytes) const;
    ReceiverEvent nextRawBlock(QByteArrayView bytes);
    ReceiverEvent nextTrailerTail(QByteArrayView bytes);

    Mode mode_ = Mode::Frames;
    std::size_t rawDataSize_ = kSectorSize;
    std::size_t tailSeen_ = 0;
};

}  // namespace kav::link
