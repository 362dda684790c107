#include "sim/faults.h"

#include <gtest/gtest.h>

namespace kav::sim {
namespace {

TEST(FaultSet, ParsesNamesAndArguments) {
    struct Case {
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {"block-checksum-once=3", true},
        {"block-checksum-always=0x10", true},
        {"reply-lost-once=0x1D", true},
        {"reply-lost-once=0x1FF", false},
        {"block-lost-always=user", true},
        {"block-checksum-once=user", false},
        {"frame-checksum-once=0x94", true},
        {"garbage", true},
        {"garbage=x", false},
        {"vanish-after=5", true},
        {"vanish-after", false},
        {"delay-once=0x17:300", true},
        {"delay-once=0x17", false},
        {"extra-trailer", true},
        {"refuse-criteria", true},
        {"refuse-criteria=1", false},
        {"no-such-fault", false},
        {"reply-lost-once=-1", false},
        {"refuse-once=0x17", true},
        {"duplicate-always=0x100", false},
        {"vanish-at=0x76", true},
        {"rate-silent=1", false},
    };
    for (const Case& c : cases) {
        QString error;
        const auto set = FaultSet::parse({QString::fromLatin1(c.text)}, &error);
        EXPECT_EQ(set.has_value(), c.valid) << c.text;
        EXPECT_EQ(error.isEmpty(), c.valid) << c.text;
    }
}

TEST(FaultSet, OnceSwitchesAreUsedUpAlwaysSwitchesAreNot) {
    auto set = *FaultSet::parse({QStringLiteral("block-checksum-once=2"),
                                 QStringLiteral("block-checksum-always=5"),
                                 QStringLiteral("delay-once=0x17:40"), QStringLiteral("garbage")});
    EXPECT_FALSE(set.take(FaultKind::BlockChecksum, 1));
    EXPECT_TRUE(set.take(FaultKind::BlockChecksum, 2));
    EXPECT_FALSE(set.take(FaultKind::BlockChecksum, 2));
    EXPECT_TRUE(set.take(FaultKind::BlockChecksum, 5));
    EXPECT_TRUE(set.take(FaultKind::BlockChecksum, 5));
    EXPECT_EQ(set.amountFor(FaultKind::Delay, 0x17), 40);
    EXPECT_EQ(set.amountFor(FaultKind::Delay, 0x17), std::nullopt);
    EXPECT_EQ(set.amount(FaultKind::Garbage), 8);
    EXPECT_EQ(set.amount(FaultKind::ExtraTrailer), std::nullopt);
}

TEST(FaultSet, HelpListsEverySwitch) {
    const QString help = FaultSet::helpText();
    for (const char* name :
         {"block-checksum-once", "reply-lost-always", "block-lost-once", "frame-checksum-always",
          "garbage", "vanish-after", "delay-once", "extra-trailer", "refuse-criteria"})
        EXPECT_TRUE(help.contains(QLatin1String(name))) << name;
}

}  // namespace
}  // namespace kav::sim
