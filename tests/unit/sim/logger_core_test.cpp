#include "sim/logger_core.h"

#include <gtest/gtest.h>

#include "link/frame.h"
#include "sim/replies.h"

namespace kav::sim {
namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) out.append(char(v));
    return out;
}

QByteArray frame(int id, QByteArray body = {}) {
    return link::buildFrame(uint8_t(id), body);
}
QByteArray ackOf(int id) {
    return frame(0x83, bytes({id}));
}
QByteArray refusalOf(int id) {
    return frame(0x84, bytes({id}));
}

// An image whose sector n starts with byte n + 1 (so sectors differ) for each n in withData.
QByteArray imageWithData(int sectors, std::initializer_list<int> withData) {
    QByteArray image(sectors * 4096, char(0xFF));
    for (int n : withData) image[n * 4096] = char(n + 1), image[n * 4096 + 1] = '\x0D';
    return image;
}

struct CoreSetup {
    bool continuous = false;
    bool full = false;
    bool bare = false;
};

LoggerCore makeCore(QByteArray image = {}, QStringList faults = {}, Trace* trace = nullptr,
                    CoreSetup setup = {}) {
    auto memory = *LoggerMemory::fromImage(std::move(image));
    memory.setFull(setup.full);
    faults.removeAll(QString());
    return LoggerCore(std::move(memory), *FaultSet::parse(faults),
                      {QStringLiteral("GT730-0123456789"), setup.continuous, setup.bare}, trace);
}

// Everything the logger sends for the host bytes, transmissions joined, and the rate it leaves.
QByteArray sent(LoggerCore& core, const QByteArray& host, int* lineRate = nullptr) {
    QByteArray out;
    for (const Transmission& t : core.feed(host).out) {
        out += t.bytes;
        if (lineRate) *lineRate = t.lineRate;
    }
    return out;
}

QByteArray readRequest(int start, int count) {
    return frame(0x1D, bytes({start >> 8, start & 0xFF, count >> 8, count & 0xFF}));
}

// A raw block with the logger's usual three tail bytes unless told otherwise.
QByteArray block(const QByteArray& data, QByteArray extra = QByteArray("\x00\x55\xAA", 3)) {
    uint8_t sum = 0;
    for (char c : data) sum ^= uint8_t(c);
    return data + QByteArray("END", 3) + '\0' + "CHECKSUM=" + char(sum) + extra + "\r\n";
}

TEST(LoggerCore, VersionQueryGetsAckThenVersion) {
    LoggerCore core = makeCore();
    const QByteArray expected =
        bytes({0xA0, 0xA1, 0x00, 0x02, 0x83, 0x02, 0x81, 0x0D, 0x0A}) +
        bytes({0xA0, 0xA1, 0x00, 0x0E, 0x80, 0x01, 0x00, 0x01, 0x00, 0x0C, 0x00,
               0x01, 0x04, 0x14, 0x00, 0x11, 0x03, 0x1D, 0x92, 0x0D, 0x0A});
    EXPECT_EQ(sent(core, bytes({0xA0, 0xA1, 0x00, 0x02, 0x02, 0x00, 0x02, 0x0D, 0x0A})), expected);
    EXPECT_EQ(sent(core, frame(0x02, bytes({0x01}))), expected);  // whatever the body byte
}

TEST(LoggerCore, PlainAcknowledgementsAndRefusals) {
    struct Case {
        const char* what;
        QByteArray request;
        QByteArray answer;
        int lineRate = 0;  // the rate the line switches to once the answer is out
        const char* fault = "";
    };
    const Case cases[] = {
        {"restart", frame(0x01, bytes({0})), ackOf(0x01)},
        {"port configuration", frame(0x05, bytes({0, 5, 0})), ackOf(0x05), 115200},
        {"port to 230400, attribute 2 taken as 0", frame(0x05, bytes({0, 6, 2})), ackOf(0x05),
         230400},
        {"baud index 9", frame(0x05, bytes({0, 9, 0})), refusalOf(0x05)},
        {"port configuration too short", frame(0x05, bytes({0, 6})), refusalOf(0x05)},
        {"rate never switches", frame(0x05, bytes({0, 6, 0})), ackOf(0x05), 0, "rate-no-switch"},
        {"output stop", frame(0x09, bytes({0})), ackOf(0x09)},
        {"update rate is unknown", frame(0x0E, bytes({1})), refusalOf(0x0E)},
        {"unknown 0x42", frame(0x42), refusalOf(0x42)},
        {"set user data", frame(0x77, bytes({0x63})), refusalOf(0x77)},
        {"read with short body", frame(0x1D, bytes({0, 0, 1})), refusalOf(0x1D)},
        {"read of no sector", readRequest(0, 0), refusalOf(0x1D)},
        {"read of 256 sectors", readRequest(0, 256), refusalOf(0x1D)},
        {"read past the memory", readRequest(511, 2), refusalOf(0x1D)},
        {"criteria too short", frame(0x18, QByteArray(25, '\0')), refusalOf(0x18)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoggerCore core = makeCore({}, {QLatin1String(c.fault)});
        int lineRate = 0;
        EXPECT_EQ(sent(core, c.request, &lineRate), c.answer);
        EXPECT_EQ(lineRate, c.lineRate);
    }
}

TEST(LoggerCore, StatusCountsSectorsBeforeTheOneBeingWritten) {
    struct Case {
        const char* what;
        QByteArray image;
        int used;
        int total;
        bool full = false;
    };
    const Case cases[] = {
        {"empty memory", {}, 0, 512},
        {"only erased sectors", QByteArray(3 * 4096, char(0xFF)), 0, 512},
        {"data in sector 0", imageWithData(1, {0}), 0, 512},
        {"data up to sector 4", imageWithData(5, {0, 1, 2, 3, 4}), 4, 512},
        {"erased tail", imageWithData(8, {0, 1, 2}), 2, 512},
        {"partial image", QByteArray(100, '\x40'), 0, 512},
        {"data after a gap", imageWithData(4, {3}), 3, 512},
        {"larger than 2 MiB", imageWithData(600, {0, 599}), 599, 600},
        {"full memory", imageWithData(5, {0, 1, 2}), 5, 5, true},
        {"full memory without image", {}, 1, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoggerCore core = makeCore(c.image, {}, nullptr, {.full = c.full});
        const QByteArray out = sent(core, frame(0x17));
        ASSERT_EQ(out.left(9), ackOf(0x17));
        const int left = c.total - c.used;
        QByteArray body(34, '\0');
        const uint32_t address = uint32_t(c.used) * 4096;
        for (int i = 0; i < 4; ++i) body[i] = char(address >> (8 * i));
        body[4] = char(left & 0xFF), body[5] = char(left >> 8);
        body[6] = char(c.total & 0xFF), body[7] = char(c.total >> 8);
        const QByteArray criteria =
            bytes({0xFF, 0xFF, 0, 0,    1,    0, 0, 0, 0xFF, 0xFF, 0, 0, 0,
                   0,    0,    0, 0xFF, 0xFF, 0, 0, 0, 0,    0,    0, 1, 0});
        body.replace(8, 26, criteria);
        EXPECT_EQ(out.mid(9), frame(0x94, body));
    }
}

TEST(LoggerCore, CriteriaComeBackInTheNextStatus) {
    LoggerCore core = makeCore();
    const QByteArray values = bytes(
        {0, 0, 0, 30, 0, 0, 0, 5, 0, 0, 0x01, 0x2C, 0, 0, 0, 50, 0, 0, 0, 90, 0, 0, 0, 10, 0, 0});
    EXPECT_EQ(sent(core, frame(0x18, values)), ackOf(0x18));
    const QByteArray status = sent(core, frame(0x17)).mid(9 + 5, 34);
    EXPECT_EQ(status.mid(8, 25), bytes({30, 0, 0, 0,  5, 0, 0, 0,  0x2C, 0x01, 0, 0, 50,
                                        0,  0, 0, 90, 0, 0, 0, 10, 0,    0,    0, 0}));
}

TEST(LoggerCore, SectorReadSendsBlockWithXorChecksum) {
    const QByteArray image = imageWithData(3, {0, 1, 2});
    LoggerCore core = makeCore(image);
    EXPECT_EQ(sent(core, readRequest(1, 2)), ackOf(0x1D) + block(image.mid(4096, 2 * 4096)));
    EXPECT_EQ(sent(core, readRequest(300, 1)), ackOf(0x1D) + block(QByteArray(4096, char(0xFF))));
    EXPECT_EQ(core.sectorsSent(), 3);
}

TEST(LoggerCore, UserDataBlockHoldsTheSerialNumber) {
    LoggerCore core = makeCore();
    QByteArray area = QByteArray("GT730-0123456789");
    area.append(4096 - area.size(), char(0xFF));
    EXPECT_EQ(sent(core, frame(0x76)), ackOf(0x76) + block(area));
}

TEST(LoggerCore, ClearEmptiesTheMemory) {
    LoggerCore core = makeCore(imageWithData(4, {0, 1, 2, 3}));
    EXPECT_EQ(sent(core, frame(0x19)), ackOf(0x19));
    EXPECT_TRUE(core.memory().image().isEmpty());
    EXPECT_EQ(sent(core, frame(0x17)).mid(9 + 5 + 4, 2), bytes({0x00, 0x02}));  // 512 left
    EXPECT_EQ(sent(core, readRequest(0, 1)), ackOf(0x1D) + block(QByteArray(4096, char(0xFF))));
}

TEST(LoggerCore, IgnoresBadFramesAndResynchronises) {
    Trace trace;
    LoggerCore core = makeCore({}, {}, &trace);
    QByteArray badChecksum = frame(0x17);
    badChecksum[5] = 0x18;
    const FeedResult ignored = core.feed(badChecksum);
    EXPECT_TRUE(ignored.out.empty());
    EXPECT_TRUE(ignored.commands.empty());
    EXPECT_EQ(trace.lines().value(0), QStringLiteral("RX A0 A1 00 01 17 18 0D 0A ignored"));
    const FeedResult after = core.feed(bytes({0x00, 0xA0, 0x0D, 0x0A}) + frame(0x05, bytes({0})));
    EXPECT_EQ(after.commands, std::vector<uint8_t>{0x05});
}

TEST(LoggerCore, FramesSplitAnywhereGetTheSameAnswer) {
    const QByteArray request = frame(0x17) + readRequest(0, 1);
    LoggerCore whole = makeCore(imageWithData(1, {0}));
    const QByteArray expected = sent(whole, request);
    for (qsizetype cut = 1; cut < request.size(); ++cut) {
        LoggerCore core = makeCore(imageWithData(1, {0}));
        QByteArray out = sent(core, request.left(cut));
        out += sent(core, request.mid(cut));
        EXPECT_EQ(out, expected) << cut;
    }
}

TEST(LoggerCore, OutputSwitchFollowsCommand) {
    LoggerCore core = makeCore({}, {}, nullptr, {.continuous = true});
    EXPECT_TRUE(core.outputOn());
    sent(core, frame(0x09, bytes({0})));
    EXPECT_FALSE(core.outputOn());
    sent(core, frame(0x09, bytes({1})));
    EXPECT_TRUE(core.outputOn());
    LoggerCore quiet = makeCore();
    sent(quiet, frame(0x09, bytes({1})));
    EXPECT_FALSE(quiet.outputOn());
}

TEST(LoggerCore, Faults) {
    const QByteArray image = imageWithData(3, {0, 1, 2});
    const QByteArray good0 = ackOf(0x1D) + block(image.left(4096));
    const QByteArray good2 = ackOf(0x1D) + block(image.mid(2 * 4096));
    const QByteArray bare0 = ackOf(0x1D) + block(image.left(4096), {});
    const QByteArray no1D = refusalOf(0x1D);
    QByteArray bad0 = good0;
    const qsizetype sumAt = bad0.size() - 6;  // before the three tail bytes and CR LF
    bad0[sumAt] = char(~uint8_t(bad0[sumAt]));
    QByteArray badStatus = frame(0x94, statusBody(*LoggerMemory::fromImage(image)));
    badStatus[badStatus.size() - 3] = char(~uint8_t(badStatus[badStatus.size() - 3]));
    const QByteArray status =
        ackOf(0x17) + frame(0x94, statusBody(*LoggerMemory::fromImage(image)));
    struct Case {
        const char* what;
        QString fault;
        QByteArray request;
        QByteArray first, second;  // answers to the request sent twice
        CoreSetup setup = {};
    };
    const Case cases[] = {
        {"block checksum once", "block-checksum-once=0", readRequest(0, 1), bad0, good0},
        {"block checksum always", "block-checksum-always=0", readRequest(0, 1), bad0, bad0},
        {"other sector untouched", "block-checksum-always=2", readRequest(0, 1), good0, good0},
        {"reply lost once", "reply-lost-once=0x1D", readRequest(0, 1), {}, good0},
        {"reply lost always", "reply-lost-always=23", frame(0x17), {}, {}},
        {"block lost once", "block-lost-once=0", readRequest(0, 1), ackOf(0x1D), good0},
        {"user data lost", "block-lost-always=user", frame(0x76), ackOf(0x76), ackOf(0x76)},
        {"status frame checksum", "frame-checksum-once=0x94", frame(0x17), ackOf(0x17) + badStatus,
         status},
        {"garbage", "garbage=4", frame(0x05, bytes({0, 5, 0})),
         bytes({0x55, 0xAA, 0x0D, 0x0A}) + ackOf(5), bytes({0x55, 0xAA, 0x0D, 0x0A}) + ackOf(5)},
        {"extra trailer", "extra-trailer=2", readRequest(0, 1),
         ackOf(0x1D) + block(image.left(4096), bytes({0x00, 0x55})),
         ackOf(0x1D) + block(image.left(4096), bytes({0x00, 0x55}))},
        {"refused criteria", "refuse-criteria", frame(0x18, QByteArray(26, '\0')), refusalOf(0x18),
         refusalOf(0x18)},
        {"refused once", "refuse-once=0x17", frame(0x17), refusalOf(0x17), status},
        {"duplicated once", "duplicate-once=0x1D", readRequest(0, 1), good0 + good0, good0},
        {"silent after a rate change", "rate-silent", frame(0x05, bytes({0, 6, 0})), ackOf(5), ""},
        {"bare trailer", {}, readRequest(0, 1), bare0, bare0, {.bare = true}},
        {"full memory serves its last sector", {}, readRequest(2, 1), good2, good2, {.full = true}},
        {"full memory refuses a read past it", {}, readRequest(2, 2), no1D, no1D, {.full = true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoggerCore core = makeCore(image, {c.fault}, nullptr, c.setup);
        EXPECT_EQ(sent(core, c.request), c.first);
        EXPECT_EQ(sent(core, c.request), c.second);
    }
}

TEST(LoggerCore, DelayHoldsBackOneAnswer) {
    LoggerCore core = makeCore({}, {QStringLiteral("delay-once=0x17:250")});
    const FeedResult first = core.feed(frame(0x17));
    ASSERT_EQ(first.out.size(), 1u);
    EXPECT_EQ(first.out[0].delayMs, 250);
    EXPECT_EQ(core.feed(frame(0x17)).out.at(0).delayMs, 0);
}

TEST(LoggerCore, PowerCycleEndsSilenceAndRestoresOutput) {
    LoggerCore core = makeCore({}, {QStringLiteral("rate-silent")}, nullptr, {.continuous = true});
    sent(core, frame(0x09, bytes({0})));
    sent(core, frame(0x05, bytes({0, 6, 0})));
    core.powerCycle();
    EXPECT_TRUE(core.outputOn());
    EXPECT_EQ(sent(core, frame(0x01, bytes({0}))), ackOf(0x01));
    // A silent logger still obeys: asked back to 115200, it is heard again.
    sent(core, frame(0x05, bytes({0, 6, 0})));
    EXPECT_EQ(sent(core, frame(0x05, bytes({0, 5, 0}))), "");
    EXPECT_EQ(sent(core, frame(0x01, bytes({0}))), ackOf(0x01));
}

TEST(LoggerCore, VanishesAfterTheGivenSectors) {
    const QByteArray image = imageWithData(4, {0, 1, 2, 3});
    LoggerCore core = makeCore(image, {QStringLiteral("vanish-after=2")});
    EXPECT_EQ(sent(core, readRequest(0, 1)), ackOf(0x1D) + block(image.left(4096)));
    // A block that crosses the limit is cut after the last allowed sector, then the device goes.
    const FeedResult crossing = core.feed(readRequest(1, 2));
    ASSERT_EQ(crossing.out.size(), 2u);
    EXPECT_EQ(crossing.out[0].bytes, ackOf(0x1D) + image.mid(4096, 4096));
    EXPECT_TRUE(crossing.out[1].vanish);
    // vanish-at: gone instead of the answer, at whatever point of the exchange the id comes.
    LoggerCore early = makeCore(image, {QStringLiteral("vanish-at=0x02")});
    const FeedResult gone = early.feed(frame(0x02, bytes({0})));
    EXPECT_TRUE(gone.out.size() == 1 && gone.out[0].vanish && gone.out[0].bytes.isEmpty());
}

}  // namespace
}  // namespace kav::sim
