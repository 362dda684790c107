#include "link/reply_format.h"
#include "link/raw_block.h"

#include <gtest/gtest.h>

#include "wire_bytes.h"

namespace kav::link {
namespace {

TEST(ReplyFormat, StatusFieldsAreLittleEndianAndSigned) {
    testing::StatusFields f;
    f.left = 0x0102;
    f.total = 0x0304;
    f.criteria[0] = 0xFFFFFFFF;  // shown as a signed number
    f.criteria[5] = 0x00010000;
    const std::optional<LogStatus> s = parseLogStatus(testing::statusBody(f));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->sectorsLeft, 0x0102);
    EXPECT_EQ(s->totalSectors, 0x0304);
    EXPECT_EQ(s->SectorsToDownload, 0x0304 - 0x0102);
    EXPECT_EQ(s->timeMax, -1);
    EXPECT_EQ(s->speedMin, 65536);
    EXPECT_TRUE(s->logging);
}

TEST(ReplyFormat, LoggingFlagOnlyWhenOne) {
    testing::StatusFields f;
    f.logging = 2;
    EXPECT_FALSE(parseLogStatus(testing::statusBody(f))->logging);
}

TEST(ReplyFormat, NoStartStopDumpBreaksEveryTenBytes) {
    const QByteArray bytes = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f101112131415");
    EXPECT_EQ(
        noStartStopMessage(bytes),
        QStringLiteral("No Start/Stop : ;[00];[01];[02];[03];[04];[05];[06];[07];[08];[09]\n\r"
                       ";[0A];[0B];[0C];[0D];[0E];[0F];[10];[11];[12];[13]\n\r;[14];[15]"));
}

TEST(ReplyFormat, Messages) {
    EXPECT_EQ(nackMessage(24), QStringLiteral("NACK : 24"));
    EXPECT_EQ(transmissionFailureMessage(0xAE), QStringLiteral("Transmission failure : [$AE]"));
    EXPECT_EQ(transmissionFailureMessage(0), QStringLiteral("Transmission failure : [$0]"));
}

TEST(RawBlock, ChecksumAndSerialNumberEdges) {
    EXPECT_EQ(rawBlockChecksum(QByteArray::fromHex("0f f0 33")), 0xCC);
    EXPECT_EQ(serialNumberFromUserData(QByteArray()), QString());
    // The area's last byte is not part of the serial number.
    EXPECT_EQ(serialNumberFromUserData("AB"), QStringLiteral("A"));
}

}  // namespace
}  // namespace kav::link

namespace kav::link {
namespace {

QByteArray withTrailer(QByteArray data, uint8_t checksum) {
    return data.append("END", 3).append('\0').append("CHECKSUM=").append(char(checksum));
}

struct ChecksumCase {
    const char* what;
    QByteArray block;
    bool ok;
};

TEST(RawBlock, ChecksumOfAGatheredBlock) {
    QByteArray sector(4096, '\0');
    sector[0] = char(0x5A);
    sector[4095] = char(0x0F);
    const ChecksumCase cases[] = {
        {"short block sums nothing: 0 matches", withTrailer("abc", 0), true},
        {"short block sums nothing: other bytes fail", withTrailer("abc", 'a' ^ 'b' ^ 'c'), false},
        {"whole sector compared with the last byte", withTrailer(sector, 0x55), true},
        {"whole sector, wrong byte", withTrailer(sector, 0x54), false},
        {"CHECKSUM= before END is ignored", QByteArray("CHECKSUM=") + char(0), false},
        {"no END", QByteArray(4096, 'x') + "CHECKSUM=" + char(0), false},
        {"CHECKSUM= ends the data", QByteArray("END") + '\0' + "CHECKSUM=", false},
        {"the last comparison decides", withTrailer(withTrailer("ab", 0) + "CHECKSUM=", 7), false},
    };
    for (const ChecksumCase& c : cases) EXPECT_EQ(Checksum(c.block), c.ok) << c.what;
}

}  // namespace
}  // namespace kav::link
