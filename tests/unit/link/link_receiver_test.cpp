#include "link/link_receiver.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "wire_bytes.h"

namespace kav::link {
namespace {

using namespace testing;
using Kind = ReceiverEvent::Kind;

// What a stream parsed to, in a form that compares easily.
struct Item {
    Kind kind;
    QByteArray bytes;  // frame raw bytes, block data, or bad frame bytes
    uint8_t checksum = 0;
    bool operator==(const Item&) const = default;
};

// Raw blocks are expected after the acknowledgement of 0x1D or 0x76, as the link does.
void onEvent(LinkReceiver& receiver, const ReceiverEvent& e, std::vector<Item>& out) {
    switch (e.kind) {
        case Kind::Frame:
            out.push_back({Kind::Frame, e.frame.raw});
            if (e.frame.id == 0x83 && e.frame.body.size() == 1 &&
                (uint8_t(e.frame.body[0]) == 0x1D || uint8_t(e.frame.body[0]) == 0x76))
                receiver.expectRawBlock();
            break;
        case Kind::RawBlock:
            out.push_back({Kind::RawBlock, e.block.data, e.block.checksum});
            break;
        case Kind::BadFrame:
        case Kind::BadTrailer:
            out.push_back({e.kind, e.bytes});
            break;
        default:
            break;
    }
}

// Feeds the pieces in order, keeping unconsumed bytes as a caller of the receiver must.
std::vector<Item> parsePieces(const std::vector<QByteArray>& pieces) {
    LinkReceiver receiver;
    QByteArray pending;
    std::vector<Item> out;
    for (const QByteArray& piece : pieces) {
        pending.append(piece);
        for (;;) {
            const ReceiverEvent e = receiver.next(pending);
            if (e.kind == Kind::NeedMore) break;
            EXPECT_GT(e.consumed, 0u);
            EXPECT_LE(qsizetype(e.consumed), pending.size());
            pending.remove(0, qsizetype(e.consumed));
            onEvent(receiver, e, out);
        }
    }
    return out;
}

// Every split in two at every offset, one byte at a time, and all at once agree.
void parseGrind(const QByteArray& input, const std::vector<Item>& expected) {
    EXPECT_EQ(parsePieces({input}), expected) << "all at once";
    std::vector<QByteArray> bytes;
    for (char c : input) bytes.emplace_back(1, c);
    EXPECT_EQ(parsePieces(bytes), expected) << "byte by byte";
    for (qsizetype cut = 1; cut < input.size(); ++cut) {
        ASSERT_EQ(parsePieces({input.left(cut), input.mid(cut)}), expected) << "cut at " << cut;
    }
}

Item frameItem(const QByteArray& frame) {
    return {Kind::Frame, frame};
}
Item blockItem(const QByteArray& data) {
    return {Kind::RawBlock, data, rawBlockChecksum(data)};
}

struct GrindCase {
    const char* name;
    std::function<QByteArray()> input;
    std::function<std::vector<Item>()> expected;
};

class ReceiverGrind : public ::testing::TestWithParam<GrindCase> {};

TEST_P(ReceiverGrind, EverySplitGivesTheSameEvents) {
    parseGrind(GetParam().input(), GetParam().expected());
}

const QByteArray kBodyWithCrLf("\x01\x0D\x0A\x02", 4);

INSTANTIATE_TEST_SUITE_P(
    Streams, ReceiverGrind,
    ::testing::Values(
        GrindCase{"frames_back_to_back", [] { return ack(0x02) + versionFrame() + statusFrame(); },
                  [] {
                      return std::vector<Item>{frameItem(ack(0x02)), frameItem(versionFrame()),
                                               frameItem(statusFrame())};
                  }},
        GrindCase{"frame_body_holds_crlf", [] { return buildFrame(0x80, kBodyWithCrLf); },
                  [] { return std::vector<Item>{frameItem(buildFrame(0x80, kBodyWithCrLf))}; }},
        GrindCase{
            "frame_checksum_is_cr",
            // id 0x0C ^ 0x01 = 0x0D: the checksum byte itself is CR, followed by CR LF
            [] { return buildFrame(0x0C, QByteArray(1, 0x01)); },
            [] { return std::vector<Item>{frameItem(buildFrame(0x0C, QByteArray(1, 0x01)))}; }},
        GrindCase{"garbage_and_text_between_frames",
                  [] { return QByteArray("$GPGGA,1\r\n\xA0\x42", 12) + ack(0x09) + "zz"; },
                  [] { return std::vector<Item>{frameItem(ack(0x09))}; }},
        GrindCase{"sector_with_frame_lookalike_and_crlf",
                  [] { return ack(0x1D) + rawBlock(trickySector(1)) + ack(0x17); },
                  [] {
                      return std::vector<Item>{frameItem(ack(0x1D)), blockItem(trickySector(1)),
                                               frameItem(ack(0x17))};
                  }},
        GrindCase{
            "extra_trailer_bytes_skipped",
            [] { return ack(0x1D) + rawBlock(trickySector(2), true, "\x01\x02\x03") + ack(0x17); },
            [] {
                return std::vector<Item>{frameItem(ack(0x1D)), blockItem(trickySector(2)),
                                         frameItem(ack(0x17))};
            }},
        GrindCase{"missing_crlf_does_not_swallow_next_frame",
                  [] { return ack(0x1D) + rawBlock(trickySector(3)).chopped(2) + ack(0x17); },
                  [] {
                      return std::vector<Item>{frameItem(ack(0x1D)), blockItem(trickySector(3)),
                                               frameItem(ack(0x17))};
                  }},
        GrindCase{"bad_checksum_is_still_a_block",
                  [] { return ack(0x76) + rawBlock(userData("GT730-1"), false); },
                  [] {
                      const QByteArray d = userData("GT730-1");
                      return std::vector<Item>{
                          frameItem(ack(0x76)),
                          Item{Kind::RawBlock, d, uint8_t(rawBlockChecksum(d) ^ 0x5A)}};
                  }},
        GrindCase{"broken_trailer_reported",
                  [] {
                      QByteArray b = rawBlock(trickySector(4));
                      b[int(kSectorSize) + 1] = 'X';
                      return ack(0x1D) + b + ack(0x17);
                  },
                  [] {
                      return std::vector<Item>{frameItem(ack(0x1D)), Item{Kind::BadTrailer, {}},
                                               frameItem(ack(0x17))};
                  }},
        GrindCase{"frame_without_end_bytes_reported_then_resynced",
                  [] {
                      QByteArray bad = ack(0x02);
                      bad[bad.size() - 1] = 'x';
                      return bad + ack(0x09);
                  },
                  [] {
                      QByteArray bad = ack(0x02);
                      bad[bad.size() - 1] = 'x';
                      return std::vector<Item>{Item{Kind::BadFrame, bad}, frameItem(ack(0x09))};
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinkReceiver, OversizedLengthIsNoiseNotAStall) {
    // A0 A1 FF FF would announce 65535 bytes; the receiver passes over it at once.
    const QByteArray noise("\xA0\xA1\xFF\xFF", 4);
    EXPECT_EQ(parsePieces({noise + ack(0x02)}), std::vector<Item>{frameItem(ack(0x02))});
}

TEST(LinkReceiver, ResetForgetsAnExpectedBlock) {
    LinkReceiver receiver;
    receiver.expectRawBlock();
    ASSERT_TRUE(receiver.expectingRawBlock());
    receiver.reset();
    const ReceiverEvent e = receiver.next(ack(0x17));
    EXPECT_EQ(e.kind, Kind::Frame);
}

}  // namespace
}  // namespace kav::link
