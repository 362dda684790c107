// Fuzzes the link's wire reader. Input: byte 0 holds switches, bytes 1..4 choose the chunk
// sizes, the rest is what the port delivers. The same bytes are read whole and in chunks, as
// the transport would hand them over; both readings must report the same events.
//   switch bit 0: a raw block is expected from the start (as after the acknowledgement of 0x1D)
//   switch bit 1: every frame read is taken as an acknowledgement announcing a raw block
//   switch bits 2..3: raw data size 4096, 64, 16 or 1 bytes

#include <algorithm>
#include <cstdint>
#include <vector>

#include "fuzz_check.h"
#include "link/link_receiver.h"

using kav::link::LinkReceiver;
using kav::link::ReceiverEvent;

namespace {

struct Options {
    bool rawAtStart = false;
    bool rawAfterFrame = false;
    std::size_t rawSize = kav::link::kSectorSize;
};

struct Seen {
    ReceiverEvent::Kind kind;
    std::size_t consumed;
    QByteArray payload;
    bool operator==(const Seen&) const = default;
};

QByteArray payloadOf(const ReceiverEvent& e) {
    switch (e.kind) {
        case ReceiverEvent::Kind::Frame:
            return e.frame.raw;
        case ReceiverEvent::Kind::RawBlock:
            return e.block.data + char(e.block.checksum);
        case ReceiverEvent::Kind::BadFrame:
            return e.bytes;
        default:
            return {};
    }
}

// Adjacent skips are merged: how garbage is skipped may depend on where the chunks end.
void record(std::vector<Seen>& seen, const ReceiverEvent& e) {
    if (e.kind == ReceiverEvent::Kind::Skipped && !seen.empty() &&
        seen.back().kind == ReceiverEvent::Kind::Skipped) {
        seen.back().consumed += e.consumed;
        return;
    }
    seen.push_back({e.kind, e.consumed, payloadOf(e)});
}

void checkEvent(const ReceiverEvent& e, const QByteArray& pending, const Options& options) {
    FUZZ_CHECK(e.consumed > 0);
    FUZZ_CHECK(e.consumed <= std::size_t(pending.size()));
    if (e.kind == ReceiverEvent::Kind::Frame) {
        FUZZ_CHECK(e.frame.raw == pending.first(qsizetype(e.consumed)));
        FUZZ_CHECK(e.frame.raw.size() == e.frame.body.size() + 8);
        FUZZ_CHECK(e.frame.raw.endsWith("\r\n"));
        FUZZ_CHECK(e.frame.body.size() < qsizetype(LinkReceiver::kMaxPayload));
    }
    if (e.kind == ReceiverEvent::Kind::RawBlock) {
        FUZZ_CHECK(std::size_t(e.block.data.size()) == options.rawSize);
        FUZZ_CHECK(e.block.data == pending.first(e.block.data.size()));
    }
}

// Feeds the stream in chunks of the given sizes (cycled), keeping unread bytes as the link does.
std::vector<Seen> read(const QByteArray& stream, const std::vector<std::size_t>& chunks,
                       const Options& options) {
    LinkReceiver receiver;
    if (options.rawAtStart) receiver.expectRawBlock(options.rawSize);
    std::vector<Seen> seen;
    QByteArray pending;
    std::size_t at = 0, c = 0;
    while (at < std::size_t(stream.size())) {
        const std::size_t n =
            std::min(chunks[c++ % chunks.size()], std::size_t(stream.size()) - at);
        pending += stream.sliced(qsizetype(at), qsizetype(n));
        at += n;
        for (;;) {
            const ReceiverEvent e = receiver.next(pending);
            if (e.kind == ReceiverEvent::Kind::NeedMore) {
                FUZZ_CHECK(e.consumed == 0);
                break;
            }
            checkEvent(e, pending, options);
            record(seen, e);
            pending.remove(0, qsizetype(e.consumed));
            if (e.kind == ReceiverEvent::Kind::Frame && options.rawAfterFrame)
                receiver.expectRawBlock(options.rawSize);
        }
    }
    return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    constexpr std::size_t kRawSizes[] = {kav::link::kSectorSize, 64, 16, 1};
    const Options options{(data[0] & 1) != 0, (data[0] & 2) != 0, kRawSizes[(data[0] >> 2) & 3]};
    std::vector<std::size_t> chunks;
    for (int i = 1; i <= 4; ++i) chunks.push_back(1 + data[i] % 97);
    const QByteArray stream(reinterpret_cast<const char*>(data + 5), qsizetype(size - 5));

    const std::vector<Seen> whole = read(stream, {std::size_t(stream.size()) + 1}, options);
    const std::vector<Seen> chunked = read(stream, chunks, options);
    FUZZ_CHECK(whole == chunked);
    return 0;
}
