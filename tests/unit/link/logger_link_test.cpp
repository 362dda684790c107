#include "link_fixture.h"

namespace kav::link {
namespace {

using namespace testing;

// Replies delivered by hand, with no logger answering.
class Replies : public LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        port.setOnWrite({});
    }
};

TEST_F(Replies, SectorAckTurnsTheRawSwitchOnAndGivesTheBitBack) {
    ASSERT_TRUE(link.DataQuery(0, 1));
    port.inject(QByteArray::fromHex("a0a10002831d9e0d0a"));
    EXPECT_TRUE(link.FlagComportTrigger());
    EXPECT_EQ(link.FlagACK(), kMaskIdle);
    EXPECT_EQ(link.ACKByte(), 0x1D);
}

TEST_F(Replies, VersionGivesHardwareAndLabel) {
    ASSERT_TRUE(link.GetSoftware());
    port.inject(ack(0x02) + versionFrame(), 3);
    EXPECT_EQ(link.Hardware(), QStringLiteral("1.0.12"));
    EXPECT_EQ(link.Firmware(), QStringLiteral("1.4.20"));
    EXPECT_EQ(got.label, QStringLiteral("1.4.20_Rev 2017/3/29"));
    EXPECT_EQ(link.step(), LoggerLink::Step::OutputStop);  // the handshake goes on
}

TEST_F(Replies, UnknownIdAndBrokenFrameAreReported) {
    port.inject(buildFrame(0xAE, "x"));
    QByteArray broken = ack(0x17);
    broken[broken.size() - 2] = 0;
    port.inject(broken + buildFrame(0x86) + buildFrame(0xB5, "zz"));
    ASSERT_EQ(got.messages.size(), 2);
    EXPECT_EQ(got.messages[0], QStringLiteral("Transmission failure : [$AE]"));
    EXPECT_EQ(got.messages[1],
              QStringLiteral("No Start/Stop : ;[A0];[A1];[00];[02];[83];[17];[94];[00];[0A]"));
}

TEST_F(Replies, FrameWithABadChecksumIsNotActedOn) {
    link.DataQuery(0, 1);
    QByteArray bad = ack(0x1D);
    bad[6] = char(bad[6] ^ 1);
    port.inject(bad);
    EXPECT_FALSE(link.FlagComportTrigger());
    EXPECT_EQ(link.ACKByte(), 0);  // no acknowledgement taken
    EXPECT_EQ(link.step(), LoggerLink::Step::Sectors);
}

TEST_F(Replies, StatusWhoseBodyHoldsCrLfArrivesWhole) {
    StatusFields f;
    f.criteria[0] = 0x0A0D;  // the body carries 0D 0A
    f.left = 0x0D0A;
    f.total = 0x0D0A;
    ASSERT_TRUE(link.GetStatus());
    port.inject(ack(0x17) + statusFrame(f), 5);
    ASSERT_EQ(got.statuses.size(), 1);
    EXPECT_EQ(got.statuses[0].timeMax, 0x0A0D);
    // A status asked for by a command starts no download.
    EXPECT_EQ(port.lastWrite().toHex(), "a0a1000117170d0a");
    EXPECT_FALSE(link.busy());
}

// Short bodies are not read past their end: the request is made again.
TEST_F(Replies, ShortBodiesAreAskedForAgain) {
    ASSERT_TRUE(link.GetSoftware());
    port.inject(ack(0x02) + buildFrame(0x80, "\x01\x02"));
    EXPECT_TRUE(got.label.isEmpty());
    // Asked again once the line is quiet.
    EXPECT_TRUE(clock.advanceUntil([this] { return port.writes().size() == 2; }, 1000));
    EXPECT_EQ(port.lastWrite(), port.writes().first());
}

// Whatever the conversation does not expect is dropped, in every state: answers to other
// requests, repeated answers, refusals of nothing in progress.
TEST_F(Replies, UnexpectedAnswersAreDroppedInEveryState) {
    const QByteArray stale = ack(0x17) + statusFrame() + nack(0x42) + ack(0x76) +
                             rawBlock(userData("WRONG-SERIAL")) + ack(0x18);
    port.inject(stale + versionFrame(), 5);  // idle
    ASSERT_TRUE(link.GetSoftware());
    port.inject(stale, 5);  // awaiting the version, which stays the exchange in progress
    EXPECT_EQ(link.step(), LoggerLink::Step::Version);
    EXPECT_TRUE(got.statuses.isEmpty());
    EXPECT_TRUE(got.serials.isEmpty());
    EXPECT_TRUE(got.label.isEmpty());
    EXPECT_TRUE(got.messages.isEmpty());
    EXPECT_EQ(port.writes().size(), 1);
}

struct ConfigCase {
    const char* name;
    bool refuse;
    uint32_t timeMin, distMin;
    QStringList messages;
    QString report;
};

class ConfigurationAnswer : public LinkFixture, public ::testing::WithParamInterface<ConfigCase> {};

TEST_P(ConfigurationAnswer, ReportedWithTheNextStatus) {
    const ConfigCase& c = GetParam();
    logger.refuseCriteria = c.refuse;
    logger.status.left = logger.status.total = 10;
    logger.status.criteria[1] = c.timeMin;
    logger.status.criteria[3] = c.distMin;
    ASSERT_TRUE(
        link.SetLogCriteria({3600, uint16_t(c.timeMin), 1000, uint16_t(c.distMin), 200, 0, 1}));
    runUntilIdle();
    EXPECT_EQ(got.configuration, QStringList{c.report});
    EXPECT_EQ(got.messages, c.messages);
    EXPECT_EQ(got.sectors, QList<int>{0});  // a new download from sector 0
}

INSTANTIATE_TEST_SUITE_P(
    Criteria, ConfigurationAnswer,
    ::testing::Values(
        ConfigCase{
            "accepted_time", false, 1, 0, {}, "Successfully set : log position each 1 second"},
        ConfigCase{"refused_distance",
                   true,
                   0,
                   50,
                   {"NACK : 24"},
                   "Unsucessefully setlog position each 50meter"}),
    [](const auto& info) { return std::string(info.param.name); });

struct DownloadCase {
    const char* name;
    uint16_t left, total;
    QList<int> sectors;
};

class Download : public LinkFixture, public ::testing::WithParamInterface<DownloadCase> {};

TEST_P(Download, HandshakeThenSectorsZeroThroughUsed) {
    logger.image = sampleImage(8);
    logger.status.left = GetParam().left;
    logger.status.total = GetParam().total;
    link.startHandshake();
    runUntilIdle();
    EXPECT_EQ(got.serials, QStringList{QStringLiteral("GT730-01234567")});
    EXPECT_EQ(got.sectors, GetParam().sectors);
    for (int i = 0; i < got.sectors.size(); ++i)
        EXPECT_EQ(got.data[i], trickySector(got.sectors[i]));
    EXPECT_EQ(got.finished, 1);
    EXPECT_EQ(logger.sectorRequests, GetParam().sectors);
    EXPECT_TRUE(got.failures.isEmpty());
    EXPECT_TRUE(got.messages.isEmpty());
    EXPECT_FALSE(link.busy());
    EXPECT_FALSE(link.InitACK());
}

INSTANTIATE_TEST_SUITE_P(Statuses, Download,
                         ::testing::Values(DownloadCase{"five_used", 250, 255, {0, 1, 2, 3, 4, 5}},
                                           DownloadCase{"none_used", 77, 77, {0}},
                                           DownloadCase{"more_left_than_total", 9, 3, {0}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkFixture, SerialNumberFilter) {
    const struct {
        QByteArray text;
        QString serial;
    } cases[] = {
        {"GT730-0123456789XYZ", "GT730-01234567"},
        {"", ""},
        {"G T\x01_7\xE9-3", "G T_7-3"},
    };
    for (const auto& c : cases) EXPECT_EQ(serialNumberFromUserData(userData(c.text)), c.serial);
}

TEST_F(LinkFixture, ConnectClearsPortRemovedAndResetsTheMask) {
    link.setPortRemoved(true);
    link.GetStatus();  // not sent, bit cleared
    EXPECT_TRUE(port.writes().isEmpty());
    ASSERT_EQ(link.connectLogger(QStringLiteral("ttyUSB0")), OpenResult::Ok);
    EXPECT_FALSE(link.PortRemoved());
    ASSERT_EQ(port.writes().size(), 1);
    EXPECT_EQ(port.writes()[0].toHex(), "a0a100020200020d0a");
}

TEST_F(LinkFixture, FailedOpenSendsNothing) {
    port.failOpenAt(1, OpenResult::InvalidPort);
    QList<RunEnd> ends;
    QObject::connect(&link, &LoggerLink::runEnded, [&](const RunEnd& e) { ends << e; });
    EXPECT_EQ(link.connectLogger(QStringLiteral("ttyUSB9")), OpenResult::InvalidPort);
    EXPECT_TRUE(port.writes().isEmpty());
    ASSERT_EQ(ends.size(), 1);  // the start still has its one end
    EXPECT_TRUE(ends[0].portNotOpened);
}

TEST_F(LinkFixture, MemoryClearAckGivesItsBitBack) {
    ASSERT_TRUE(link.clearMemory());
    runUntilIdle(300);
    EXPECT_EQ(got.cleared, 1);
    EXPECT_EQ(link.step(), LoggerLink::Step::Idle);
    EXPECT_TRUE(link.GetStatus());
}

TEST_F(LinkFixture, DisconnectSendsResumeOnlyWhenIdle) {
    link.disconnectLogger();
    ASSERT_EQ(port.writes().size(), 1);
    EXPECT_EQ(port.writes()[0].toHex(), "a0a100020901080d0a");
    EXPECT_FALSE(port.isOpen());

    port.setOnWrite({});
    port.clearWrites();
    ASSERT_EQ(link.connectLogger(QStringLiteral("ttyUSB0")), OpenResult::Ok);
    link.disconnectLogger();
    EXPECT_EQ(port.writes().size(), 1);  // only the version query, still unanswered
    EXPECT_FALSE(port.isOpen());
}

// Faults of the line: each must end in a whole, correct download or a clear give-up.
struct GivesUp {
    FailureKind kind;
    uint8_t command;
    int sector;  // -1 for a command
    int attempts;
};

struct FaultCase {
    const char* name;
    std::function<void(ScriptedLogger&)> arrange;
    QList<int> sectors;              // handed on, in order
    std::optional<GivesUp> failure;  // the one failure reported, if any
    int block = 1;                   // sectors a request
    bool nestedLoop = false;         // the first notice's handler lets a second go by inside it
};

class Faults : public LinkFixture, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(Faults, NoLostNoBadNoDuplicateSectorAndNoHang) {
    logger.image = sampleImage(8);
    logger.status.left = 250;
    logger.status.total = 255;
    GetParam().arrange(logger);
    link.setSectorsPerRequest(GetParam().block);
    handlersLag = GetParam().nestedLoop;
    if (handlersLag)
        QObject::connect(&link, &LoggerLink::message, [this] {
            if (got.messages.size() == 1) clock.advance(1000);  // a modal box, as a window shows
        });
    qsizetype requestsAtEnd = -1;
    QObject::connect(&link, &LoggerLink::downloadFinished,
                     [&] { requestsAtEnd = logger.sectorRequests.size(); });
    link.startHandshake();
    runUntilIdle();
    EXPECT_EQ(got.sectors, GetParam().sectors);
    if (requestsAtEnd >= 0) {
        EXPECT_EQ(logger.sectorRequests.size(), requestsAtEnd);
    }
    for (int i = 0; i < got.sectors.size(); ++i)
        EXPECT_EQ(got.data[i], trickySector(got.sectors[i])) << "sector " << got.sectors[i];
    const std::optional<GivesUp>& failure = GetParam().failure;
    ASSERT_EQ(got.failures.size(), failure ? 1 : 0)
        << failureText(got.failures.value(0)).toStdString();
    if (failure) {
        const LinkFailure& f = got.failures[0];
        EXPECT_EQ(f.kind, failure->kind) << failureText(f).toStdString();
        EXPECT_EQ(f.command, failure->command);
        EXPECT_EQ(f.sector, failure->sector);
        EXPECT_EQ(f.attempts, failure->attempts);
        EXPECT_EQ(got.finished, 0);
    } else {
        EXPECT_EQ(got.finished, 1);
    }
    EXPECT_FALSE(link.busy());  // the user can act again
    EXPECT_FALSE(link.FlagComportTrigger());
    if (got.sectors.isEmpty()) return;
    EXPECT_EQ(got.serials, QStringList{QStringLiteral("GT730-01234567")});
    EXPECT_EQ(got.statuses.size(), 1);  // one download, started once
}

const QList<int> kAll{0, 1, 2, 3, 4, 5};

INSTANTIATE_TEST_SUITE_P(
    Line, Faults,
    ::testing::Values(
        FaultCase{"sector_checksum_bad_twice",
                  [](ScriptedLogger& l) { l.badSectorChecksum[2] = 2; },
                  kAll,
                  {}},
        FaultCase{"sector_checksum_always_bad",
                  [](ScriptedLogger& l) { l.badSectorChecksum[3] = 99; },
                  {0, 1, 2},
                  GivesUp{FailureKind::BadChecksum, 0x1D, 3, 3}},
        FaultCase{"user_data_checksum_bad_once",
                  [](ScriptedLogger& l) { l.badUserDataChecksum = 1; },
                  kAll,
                  {}},
        FaultCase{
            "sector_never_comes_once", [](ScriptedLogger& l) { l.silentSector[4] = 1; }, kAll, {}},
        FaultCase{"sector_never_comes",
                  [](ScriptedLogger& l) { l.silentSector[1] = 99; },
                  {0},
                  GivesUp{FailureKind::NoAnswer, 0x1D, 1, 3}},
        FaultCase{
            "first_reply_never_comes", [](ScriptedLogger& l) { l.silentCommands = 1; }, kAll, {}},
        FaultCase{"logger_silent",
                  [](ScriptedLogger& l) { l.silentCommands = 99; },
                  {},
                  GivesUp{FailureKind::NoAnswer, 0x02, -1, 3}},
        FaultCase{
            "answers_later_than_the_time_out", [](ScriptedLogger& l) { l.delayMs = 70; }, kAll, {}},
        FaultCase{"one_byte_deliveries", [](ScriptedLogger& l) { l.chunk = 1; }, kAll, {}},
        FaultCase{"status_later_than_the_time_out",
                  [](ScriptedLogger& l) { l.delayFor[0x17] = 100; },
                  kAll,
                  {}},
        FaultCase{"every_answer_twice",
                  [](ScriptedLogger& l) {
                      l.duplicate = {0x02, 0x09, 0x76, 0x17, 0x1D};
                  },
                  kAll,
                  {}},
        FaultCase{"stale_answers_before_each",
                  [](ScriptedLogger& l) {
                      l.before[0x02] = ack(0x1D) + rawBlock(trickySector(7));
                      l.before[0x17] = ack(0x1D) + rawBlock(trickySector(9)) + versionFrame();
                      l.before[0x1D] = ack(0x17) + statusFrame() + ack(0x76) +
                                       rawBlock(userData("WRONG-SERIAL"));
                  },
                  kAll,
                  {}},
        FaultCase{"sector_refused",
                  [](ScriptedLogger& l) { l.refusedSectors = {3}; },
                  {0, 1, 2},
                  GivesUp{FailureKind::Refused, 0x1D, 3, 1}},
        FaultCase{"block_checksum_bad_once",
                  [](ScriptedLogger& l) { l.badSectorChecksum[2] = 1; },
                  kAll,
                  {},
                  4},
        FaultCase{"block_with_a_bad_sector_read_singly",
                  [](ScriptedLogger& l) { l.badSectorChecksum[3] = 99; },
                  {0, 1, 2},
                  GivesUp{FailureKind::BadChecksum, 0x1D, 3, 3},
                  4},
        FaultCase{"block_lost_once", [](ScriptedLogger& l) { l.silentSector[1] = 1; }, kAll, {}, 4},
        FaultCase{
            "block_answered_twice", [](ScriptedLogger& l) { l.duplicate = {0x1D}; }, kAll, {}, 4},
        FaultCase{"noise_with_every_sector_and_a_nested_loop",
                  [](ScriptedLogger& l) {
                      l.before[0x1D] = buildFrame(0xAE, {});
                      l.chunk = 0;
                  },
                  kAll,
                  {},
                  1,
                  true},
        FaultCase{"full_memory_never_read_past_its_end",
                  [](ScriptedLogger& l) {
                      l.status.left = 0;
                      l.status.total = 6;
                  },
                  kAll,
                  {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkFixture, PortLostMidDownloadKeepsTheSectorsRead) {
    logger.image = sampleImage(8);
    QObject::connect(&link, &LoggerLink::sectorReceived, [this](int n) {
        if (n == 2) clock.after(0, [this] { port.losePort(); });
    });
    link.startHandshake();
    runUntilIdle();
    // Sector 3 was asked for in the step that read sector 2, before its handler ran.
    EXPECT_EQ(got.sectors, (QList<int>{0, 1, 2, 3}));
    EXPECT_EQ(got.lost, QStringList{QStringLiteral("device removed")});
    ASSERT_EQ(got.failures.size(), 1);
    EXPECT_EQ(got.failures[0].kind, FailureKind::PortLost);
    EXPECT_EQ(failureText(got.failures[0]),
              QStringLiteral("The logger went away (device removed)."));
    EXPECT_EQ(got.finished, 0);
    clock.advance(200);
    EXPECT_EQ(logger.sectorRequests.size(), 4 + 1);  // nothing asked after the loss
}

}  // namespace
}  // namespace kav::link

namespace kav::link {
namespace {

struct PlanCase {
    const char* name;
    int toRead, blockSize;
    int splitAt;  // the request that fails as a block, -1 for none
    QList<QPair<int, int>> requests;
};

class Plan : public ::testing::TestWithParam<PlanCase> {};

// The memory is read in blocks, the last one short; a block that fails is read sector by
// sector, and the blocks after it are whole again.
TEST_P(Plan, RequestsCoverTheMemoryOnce) {
    const PlanCase& c = GetParam();
    SectorPlan plan(c.toRead, c.blockSize);
    QList<QPair<int, int>> asked;
    for (int n = 0; const auto r = plan.next(); ++n) {
        if (n == c.splitAt) {
            plan.splitBlock();
            continue;
        }
        asked << qMakePair(r->first, r->count);
        plan.received(r->count);
    }
    EXPECT_EQ(asked, c.requests);
    EXPECT_EQ(plan.read(), c.toRead);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, Plan,
    ::testing::Values(PlanCase{"one_sector_a_request", 3, 1, -1, {{0, 1}, {1, 1}, {2, 1}}},
                      PlanCase{"short_last_block", 20, 8, -1, {{0, 8}, {8, 8}, {16, 4}}},
                      PlanCase{"failed_block_read_singly",
                               20,
                               8,
                               1,
                               {{0, 8},
                                {8, 1},
                                {9, 1},
                                {10, 1},
                                {11, 1},
                                {12, 1},
                                {13, 1},
                                {14, 1},
                                {15, 1},
                                {16, 4}}},
                      PlanCase{"empty_memory", 0, 8, -1, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Sectors 0 through the used count are read (the one being written too), never one at or past
// the memory's end.
TEST(Plan, SectorsToReadStopAtTheMemorysEnd) {
    const struct {
        uint16_t left, total;
        int toRead;
    } cases[] = {{250, 255, 6}, {0, 17, 17}, {5, 5, 1}, {9, 3, 1}, {0, 0, 0}, {0, 512, 512}};
    for (const auto& c : cases) {
        LogStatus status;
        status.sectorsLeft = c.left;
        status.totalSectors = c.total;
        status.SectorsToDownload = c.total > c.left ? uint16_t(c.total - c.left) : 0;
        EXPECT_EQ(sectorsToRead(status), c.toRead) << c.left << " of " << c.total;
    }
}

}  // namespace
}  // namespace kav::link
