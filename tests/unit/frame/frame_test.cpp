#include <gtest/gtest.h>

#include "link/frame.h"

using namespace kav::link;

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray built(uint8_t id, const QByteArray& body) {
    FrameBuilder b;
    b.OutPacketInit(uint8_t(body.size() + 1));
    b.OutPacketAddWithCRC(id);
    for (char c : body) b.OutPacketAddWithCRC(uint8_t(c));
    b.OutPacketClose();
    return b.frame();
}

struct FrameCase {
    uint8_t id;
    const char* body;
    const char* frame;
};

class BuiltFrames : public ::testing::TestWithParam<FrameCase> {};

TEST_P(BuiltFrames, BuilderAndOneShotAgreeByteForByte) {
    const FrameCase& c = GetParam();
    EXPECT_EQ(built(c.id, hex(c.body)), hex(c.frame));
    EXPECT_EQ(buildFrame(c.id, hex(c.body)), hex(c.frame));
}

INSTANTIATE_TEST_SUITE_P(Examples, BuiltFrames,
                         ::testing::Values(FrameCase{0x17, "", "A0A1000117170D0A"},
                                           FrameCase{0x02, "00", "A0A10002020002 0D0A"},
                                           FrameCase{0x1D, "00000001", "A0A100051D000000011C0D0A"},
                                           FrameCase{0x1D, "012C0001", "A0A100051D012C0001310D0A"},
                                           FrameCase{0x1D, "00800001",
                                                     "A0A100051D008000019C0D0A"}));

TEST(FrameBuilder, InitClearsWholeBufferAfterALongerFrame) {
    FrameBuilder b;
    b.OutPacketInit(5);
    for (uint8_t v : {0x1D, 0x01, 0x2C, 0x00, 0x01}) b.OutPacketAddWithCRC(v);
    b.OutPacketClose();
    b.OutPacketInit(1);
    b.OutPacketAddWithCRC(0x17);
    b.OutPacketClose();
    EXPECT_EQ(b.OutPacketIndex(), 8);
    EXPECT_EQ(b.frame(), hex("A0A1000117170D0A"));
    for (std::size_t i = 8; i < FrameBuilder::kBufferSize; ++i) ASSERT_EQ(b.OutPacket()[i], 0) << i;
}

TEST(FrameBuilder, EmptyBodyIsEightBytesWithChecksumEqualToId) {
    const QByteArray f = buildFrame(0x76);
    EXPECT_EQ(f.size(), 8);
    EXPECT_EQ(uint8_t(f[5]), 0x76);
}

TEST(FrameChecks, CRCNotOK) {
    EXPECT_FALSE(CRCNotOK(0x17, {}, 0x17));
    EXPECT_TRUE(CRCNotOK(0x17, {}, 0x16));
    EXPECT_FALSE(CRCNotOK(0x1D, hex("00000001"), 0x1C));
    EXPECT_TRUE(CRCNotOK(0x1D, hex("00000001"), 0x1D));
}

TEST(FrameChecks, IntToHexa) {
    EXPECT_EQ(IntToHexa(0), "[$0]");
    EXPECT_EQ(IntToHexa(0x0A), "[$A]");
    EXPECT_EQ(IntToHexa(0xB5), "[$B5]");
    EXPECT_EQ(IntToHexa(255), "[$FF]");
}

TEST(ScanFrame, ReadsByLengthEvenWithCrLfInsideBodyAndChecksum) {
    // Body 0D 0A and a checksum byte that happens to be 0x0D.
    const QByteArray frame = buildFrame(0x80, hex("0D0A8D"));
    ASSERT_EQ(uint8_t(frame[8]), 0x80 ^ 0x0D ^ 0x0A ^ 0x8D);
    for (qsizetype cut = 0; cut < frame.size(); ++cut) {
        const FrameScan partial = scanFrame(QByteArrayView(frame).first(cut));
        ASSERT_EQ(partial.status, FrameScan::Status::NeedMore) << cut;
    }
    const FrameScan whole = scanFrame(frame + hex("A0A1"));
    ASSERT_EQ(whole.status, FrameScan::Status::Found);
    EXPECT_EQ(whole.consumed, std::size_t(frame.size()));
    EXPECT_EQ(whole.frame.id, 0x80);
    EXPECT_EQ(whole.frame.body, hex("0D0A8D"));
    EXPECT_TRUE(whole.frame.checksumOk());
}

TEST(ScanFrame, RejectsWhatIsNotAFrame) {
    EXPECT_EQ(scanFrame(hex("00")).status, FrameScan::Status::Invalid);
    EXPECT_EQ(scanFrame(hex("A000")).status, FrameScan::Status::Invalid);
    EXPECT_EQ(scanFrame(hex("A0A10000")).status, FrameScan::Status::Invalid);
    EXPECT_EQ(scanFrame(hex("A0A1000117170D0B")).status, FrameScan::Status::Invalid);
    EXPECT_EQ(scanFrame(hex("A0A1FFFF"), 4096).status, FrameScan::Status::Invalid);
    const FrameScan bad = scanFrame(hex("A0A1000117180D0A"));
    ASSERT_EQ(bad.status, FrameScan::Status::Found);
    EXPECT_FALSE(bad.frame.checksumOk());
}

}  // namespace
