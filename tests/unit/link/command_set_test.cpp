#include "link/command_set.h"

#include <gtest/gtest.h>

#include <functional>

#include <QList>

namespace kav::link {
namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

struct CommandCase {
    const char* name;
    std::function<bool(CommandSet&)> issue;
    int32_t bit;
    QByteArray frame;
};

const CommandCase kCommands[] = {
    {"GetSoftware", [](CommandSet& c) { return c.GetSoftware(); }, 0x0002,
     hex("a0a10002020002 0d0a")},
    {"StartStopOutput0", [](CommandSet& c) { return c.StartStopOutput(0); }, 0x0008,
     hex("a0a10002090009 0d0a")},
    {"StartStopOutput1", [](CommandSet& c) { return c.StartStopOutput(1); }, 0x0008,
     hex("a0a10002090108 0d0a")},
    {"GetUserData", [](CommandSet& c) { return c.GetUserData(); }, 0x2000,
     hex("a0a100017676 0d0a")},
    {"GetStatus", [](CommandSet& c) { return c.GetStatus(); }, 0x0040, hex("a0a100011717 0d0a")},
    {"DataQuery0", [](CommandSet& c) { return c.DataQuery(0, 1); }, 0x0200,
     hex("a0a100051d000000011c 0d0a")},
    {"DataQuery128", [](CommandSet& c) { return c.DataQuery(128, 1); }, 0x0200,
     hex("a0a100051d008000019c 0d0a")},
    {"DataQuery300", [](CommandSet& c) { return c.DataQuery(300, 1); }, 0x0200,
     hex("a0a100051d012c000131 0d0a")},
    {"ClearMemory", [](CommandSet& c) { return c.clearMemory(); }, 0x0100,
     hex("a0a100011919 0d0a")},
    {"SetUpdateRate", [](CommandSet& c) { return c.SetUpdateRate(5); }, 0x0010,
     hex("a0a100020e050b 0d0a")},
    {"SetRate", [](CommandSet& c) { return c.SetRate(0xF0); }, 0x0010, hex("a0a100020ef0fe 0d0a")},
    {"GetRate", [](CommandSet& c) { return c.GetRate(); }, 0x0020, hex("a0a100011010 0d0a")},
    {"GetDatum", [](CommandSet& c) { return c.GetDatum(); }, 0x0400, hex("a0a100012d2d 0d0a")},
    {"GetNavMode", [](CommandSet& c) { return c.GetNavMode(); }, 0x1000, hex("a0a100013d3d 0d0a")},
    {"SetUserData", [](CommandSet& c) { return c.SetUserData("GT730"); }, 0x0800,
     hex("a0a10002776314 0d0a")},
};

class EveryCommand : public ::testing::TestWithParam<CommandCase> {};

TEST_P(EveryCommand, SentAloneWithItsFrameAndItsBitCleared) {
    CommandSet commands;
    ASSERT_TRUE(GetParam().issue(commands));
    ASSERT_EQ(commands.outbox().size(), 1);
    EXPECT_EQ(commands.outbox()[0].toHex(), GetParam().frame.toHex());
    EXPECT_EQ(commands.FlagACK(), kMaskIdle ^ GetParam().bit);
    EXPECT_EQ(bitForId(uint8_t(commands.outbox()[0][4])), GetParam().bit);
}

TEST_P(EveryCommand, RefusedSilentlyWhileAnotherIsOutstanding) {
    CommandSet commands;
    commands.setFlagACK(kMaskIdle ^ (GetParam().bit == 0x0040 ? 0x0002 : 0x0040));
    const int32_t before = commands.FlagACK();
    EXPECT_FALSE(GetParam().issue(commands));
    EXPECT_TRUE(commands.outbox().isEmpty());
    EXPECT_EQ(commands.FlagACK(), before ^ GetParam().bit);
}

TEST_P(EveryCommand, NothingReachesARemovedPort) {
    CommandSet commands;
    commands.setPortRemoved(true);
    EXPECT_FALSE(GetParam().issue(commands));
    EXPECT_TRUE(commands.outbox().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Commands, EveryCommand, ::testing::ValuesIn(kCommands),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MaskRule, StatusBeforeTheSoftwareAckIsNotSent) {
    CommandSet commands;
    ASSERT_TRUE(commands.GetSoftware());
    EXPECT_FALSE(commands.GetStatus());
    EXPECT_EQ(commands.outbox().size(), 1);
    EXPECT_EQ(commands.FlagACK(), 0x3FFF & ~0x0002 & ~0x0040);
}

TEST(MaskRule, ReissueWhileOutstandingTogglesBackAndSendsNothing) {
    CommandSet commands;
    ASSERT_TRUE(commands.DataQuery(3, 1));
    EXPECT_FALSE(commands.DataQuery(3, 1));
    EXPECT_EQ(commands.outbox().size(), 1);
    EXPECT_EQ(commands.FlagACK(), kMaskIdle);
}

TEST(MaskRule, AckByteResetByEveryCommandButTheClear) {
    CommandSet commands;
    commands.setACKByte(0x1D);
    commands.clearMemory();
    EXPECT_EQ(commands.ACKByte(), 0x1D);
    commands.setFlagACK(kMaskIdle);
    commands.GetRate();
    EXPECT_EQ(commands.ACKByte(), 0);
}

// A frame is taken to the port once; the bit stays cleared until the answer gives it back.
TEST(MaskRule, FrameTakenOnceAndTheBitKeptCleared) {
    CommandSet commands;
    EXPECT_TRUE(commands.GetStatus());
    EXPECT_EQ(commands.takeFrames().size(), 1);
    EXPECT_TRUE(commands.takeFrames().isEmpty());
    EXPECT_EQ(commands.FlagACK(), kMaskIdle ^ 0x0040);
}

TEST(Commands, LogCriteriaBody) {
    CommandSet commands;
    ASSERT_TRUE(commands.SetLogCriteria({65535, 1, 65535, 0, 65535, 0, 1}));
    const QByteArray frame = commands.outbox().value(0);
    ASSERT_EQ(frame.size(), 34);
    EXPECT_EQ(frame.mid(2, 3).toHex(), "001b18");
    EXPECT_EQ(frame.mid(5, 26).toHex(), "0000ffff000000010000ffff000000000000ffff000000000100");
    EXPECT_EQ(commands.FlagACK(), kMaskIdle ^ 0x0080);
}

TEST(Commands, HighBytesReachThePortUnchanged) {
    CommandSet commands;
    for (int sector = 0x80; sector <= 0xFF; ++sector) {
        commands.setFlagACK(kMaskIdle);
        ASSERT_TRUE(commands.DataQuery(uint16_t(sector << 8 | sector), 1));
        const QByteArray f = commands.outbox().last();
        EXPECT_EQ(uint8_t(f[5]), sector);
        EXPECT_EQ(uint8_t(f[6]), sector);
    }
}

}  // namespace
}  // namespace kav::link
