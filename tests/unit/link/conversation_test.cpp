// The conversation core at virtual time, as a table: each row feeds inputs one by one and says
// what the core must write after each (the message id of its last frame, or nothing), then how
// the run ended, the sectors kept and the line rate left.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "link/conversation.h"
#include "session/sector_store.h"
#include "wire_bytes.h"

namespace kav::link {
namespace {

using namespace testing;

enum class In { Bytes, Wake, Close, Stop, PortLost, Criteria };

struct Step {
    In input;
    QByteArray bytes;
    int writes = -1;  // message id of the last frame written by this step; 0: none; -1: any
    int rate = 0;     // the host's line rate after this step; 0: any
};

struct Row {
    const char* name;
    int baud, block;
    StatusFields status;
    std::vector<Step> steps;
    std::optional<EndKind> end;  // none: the run goes on
    int kept;
    int rateLeft;
    std::vector<Step> before = {};  // steps before the handshake
};

class Driver {
  public:
    explicit Driver(const Row& row) {
        core.setLineRate(row.baud);
        core.setSectorsPerRequest(row.block);
        take(core.start(now, RunGoal::ReadMemory));
    }

    int feed(const Step& s) {
        lastId = 0;
        switch (s.input) {
            case In::Bytes:
                take(core.received(now += 5, s.bytes));
                break;
            case In::Wake:
                now = core.wakeAt().value_or(now);
                take(core.wake(now));
                break;
            case In::Close:
                take(core.close(now, true));
                break;
            case In::Stop:
                take(core.stop(now));
                break;
            case In::PortLost:
                take(core.portLost(now, QStringLiteral("gone")));
                break;
            case In::Criteria:
                take(core.command(now, Request{msg::SetLogCriteria}));
                break;
        }
        return lastId;
    }

    void take(const Actions& actions) {
        for (const Action& a : actions.list) {
            if (a.kind == Action::Kind::Write) lastId = uint8_t(a.bytes[4]);
            if (a.kind == Action::Kind::Emit && a.event.kind == ConversationEvent::Kind::Sector)
                ++kept;
            if (a.kind == Action::Kind::Emit && a.event.kind == ConversationEvent::Kind::End)
                ends.push_back(a.event.end.kind);
        }
    }

    Conversation core;
    Millis now = 0;
    int lastId = 0;
    int kept = 0;
    std::vector<EndKind> ends;
};

// The handshake up to the log status, each answer right after its request.
std::vector<Step> handshake(const StatusFields& status) {
    return {{In::Bytes, ack(0x02) + versionFrame(), 0x09},
            {In::Bytes, ack(0x09), 0x76},
            {In::Bytes, ack(0x76) + rawBlock(userData("GT730-1")), 0x17},
            {In::Bytes, ack(0x17) + statusFrame(status)}};
}

class CoreTable : public ::testing::TestWithParam<Row> {};

TEST_P(CoreTable, ActionsAndOutcome) {
    const Row& row = GetParam();
    Driver d(row);
    std::vector<Step> steps = row.before;
    const std::vector<Step> handshaken = handshake(row.status);
    steps.insert(steps.end(), handshaken.begin(), handshaken.end());
    steps.insert(steps.end(), row.steps.begin(), row.steps.end());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const int wrote = d.feed(steps[i]);
        if (steps[i].writes >= 0) {
            EXPECT_EQ(wrote, steps[i].writes) << "step " << i;
        }
        if (steps[i].rate > 0) {
            EXPECT_EQ(d.core.lineRate(), steps[i].rate) << "step " << i;
        }
    }
    ASSERT_EQ(d.ends.size(), row.end ? 1u : 0u);
    if (row.end) {
        EXPECT_EQ(int(d.ends[0]), int(*row.end));
    }
    EXPECT_EQ(d.kept, row.kept);
    EXPECT_EQ(d.core.lineRate(), row.rateLeft);
}

StatusFields used(int sectors) {
    StatusFields f;
    f.total = 255;
    f.left = uint16_t(255 - (sectors - 1));
    return f;
}

const QByteArray kSector0 = ack(0x1D) + rawBlock(trickySector(0));
const QByteArray kSector1 = ack(0x1D) + rawBlock(trickySector(1));

// Silent at 115200 (the first try) and at the rates tried before baud; the acknowledgement at
// baud has the logger asked back to 115200 there, then the handshake starts again at 115200.
std::vector<Step> foundAt(int baud) {
    std::vector<Step> steps;
    for (int rate : {921600, 460800, 230400, 57600, 38400, 19200, 9600})
        if (rate >= baud) steps.push_back({In::Wake, {}, 0x02, rate});
    steps.push_back({In::Bytes, ack(0x02), 0x05, baud});
    steps.push_back({In::Bytes, ack(0x05), 0x02, 115200});
    return steps;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CoreTable,
    ::testing::Values(
        // A refusal of the status at the new rate proves the logger hears it.
        Row{"probe_refused_twice_goes_on_at_the_new_rate",
            230400,
            1,
            used(1),
            {{In::Bytes, ack(0x05), 0x17},
             {In::Bytes, nack(0x17), 0x17},
             {In::Bytes, nack(0x17), 0x1D},
             {In::Bytes, kSector0, 0x05},
             {In::Bytes, ack(0x05), 0}},
            EndKind::Complete,
            1,
            115200},
        // The download after new criteria is part of the run: one end, both downloads kept.
        Row{"download_after_new_criteria_ends_the_run_once",
            115200,
            1,
            used(1),
            {{In::Bytes, kSector0, 0},
             {In::Criteria, {}, 0x18},
             {In::Bytes, ack(0x18), 0x17},
             {In::Bytes, ack(0x17) + statusFrame(used(1)), 0x1D},
             {In::Bytes, kSector0, 0}},
            EndKind::Complete,
            2,
            115200},
        // A refused block is read again one sector at a time.
        Row{"refused_block_read_sector_by_sector",
            115200,
            2,
            used(2),
            {{In::Bytes, {}, 0},
             {In::Bytes, nack(0x1D), 0x1D},
             {In::Bytes, kSector0, 0x1D},
             {In::Bytes, kSector1, 0}},
            EndKind::Complete,
            2,
            115200},
        // The port goes while the answer to an earlier try is still owed: the run ends at once.
        Row{"port_lost_while_settling",
            115200,
            1,
            used(3),
            {{In::Wake, {}, 0x1D}, {In::Bytes, kSector0, 0}, {In::PortLost, {}, 0}},
            EndKind::Failed,
            1,
            115200},
        // Closed while the logger's answer to the faster rate is on its way: it is asked back.
        Row{"closed_during_the_rate_acknowledgement",
            230400,
            4,
            used(3),
            {{In::Close, {}, 0}, {In::Bytes, ack(0x05), 0x05}, {In::Bytes, ack(0x05), 0x09}},
            EndKind::Closed,
            0,
            115200},
        Row{"closed_during_the_rate_acknowledgement_never_answered",
            230400,
            4,
            used(3),
            {{In::Close, {}, 0}, {In::Wake, {}, 0x09}},
            EndKind::Closed,
            0,
            115200},
        // Closed while the old rate is tried after a silent switch: the logger may have taken
        // the faster rate, so it is asked back from there before the port closes.
        Row{"closed_while_the_old_rate_is_tried",
            230400,
            4,
            used(3),
            {{In::Wake, {}, 0x05},
             {In::Wake, {}, 0},
             {In::Wake, {}, 0x17, 115200},
             {In::Close, {}, 0x05}},
            EndKind::Closed,
            0,
            115200},
        // Stopped at the fast rate: back at 115200 before the end is reported.
        Row{"stopped_at_the_fast_rate",
            230400,
            1,
            used(3),
            {{In::Bytes, ack(0x05), 0x17},
             {In::Bytes, ack(0x17) + statusFrame(used(3)), 0x1D},
             {In::Stop, {}, 0},
             {In::Bytes, kSector0, 0x05},
             {In::Bytes, ack(0x05), 0}},
            EndKind::Stopped,
            1,
            115200},
        // An answer after the time-out is the try's own: the sector is kept once, and the next
        // request waits for the second try's answer.
        Row{"late_answer_then_the_owed_one",
            115200,
            1,
            used(2),
            {{In::Wake, {}, 0x1D},
             {In::Bytes, kSector0, 0},
             {In::Bytes, kSector0, 0x1D},
             {In::Bytes, kSector1, 0}},
            EndKind::Complete,
            2,
            115200},
        // Answers to earlier tries later than every quiet period: the sector before is never
        // kept twice, the download fails instead.
        Row{"the_sector_before_each_time_fails",
            115200,
            1,
            used(2),
            {{In::Bytes, kSector0, 0x1D},
             {In::Bytes, kSector0, 0},
             {In::Wake, {}, 0x1D},
             {In::Bytes, kSector0, 0},
             {In::Wake, {}, 0x1D},
             {In::Bytes, kSector0, 0},
             {In::Wake, {}, 0x1D},
             {In::Bytes, kSector0, 0}},
            EndKind::Failed,
            1,
            115200},
        // A logger left fast is put back at 115200 before anything else.
        Row{"found_at_460800_put_back_then_downloads_at_230400",
            230400,
            1,
            used(1),
            {{In::Bytes, ack(0x05), 0x17, 230400},
             {In::Bytes, ack(0x17) + statusFrame(used(1)), 0x1D},
             {In::Bytes, kSector0, 0x05},
             {In::Bytes, ack(0x05), 0, 115200}},
            EndKind::Complete,
            1,
            115200,
            foundAt(460800)}),
    [](const auto& info) { return std::string(info.param.name); });

// What the session does with the sectors the core hands on: whole only when every sector of
// the download is held once; a sector twice or out of order is the link's error, never dropped.
struct Handed {
    const char* name;
    int expected;
    std::vector<int> sectors;  // in the order handed on
    bool whole;
    QList<int> missing;
    int taken;       // the unbroken run from sector 0
    bool linkError;  // handed twice, out of order or not this download's
};

class Completeness : public ::testing::TestWithParam<Handed> {};

TEST_P(Completeness, WholeOnlyWhenEverySectorIsHeldOnce) {
    const Handed& h = GetParam();
    session::SectorStore store;
    store.reset(h.expected);
    for (int n : h.sectors) store.add(n, trickySector(n));
    QByteArray data;
    for (int n = 0; store.takeNext(&data); ++n) EXPECT_EQ(data, trickySector(n));
    EXPECT_EQ(store.whole(), h.whole) << store.error().toStdString();
    EXPECT_EQ(!store.error().isEmpty(), h.linkError) << store.error().toStdString();
    EXPECT_EQ(store.missing(), h.missing);
    EXPECT_EQ(store.taken(), h.taken);
}

INSTANTIATE_TEST_SUITE_P(
    Session, Completeness,
    ::testing::Values(Handed{"all_in_order", 4, {0, 1, 2, 3}, true, {}, 4, false},
                      Handed{"a_sector_skipped", 4, {0, 1, 3}, false, {2}, 2, true},
                      Handed{"the_last_missing", 4, {0, 1, 2}, false, {3}, 3, false},
                      Handed{"a_sector_twice", 3, {0, 1, 1, 2}, false, {}, 3, true},
                      Handed{"out_of_order", 3, {1, 0, 2}, false, {}, 3, true},
                      Handed{"none_of_this_download", 2, {0, 1, 5}, false, {}, 2, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kav::link
