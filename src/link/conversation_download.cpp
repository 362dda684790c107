// The download: from the log status to the last sector, and the end of a run.
#include "link/conversation.h"

namespace kav::link {

namespace {
const QString kSuccessfullySet = QStringLiteral("Successfully set : ");
const QString kUnsuccessfullySet = QStringLiteral("Unsucessefully set");
}  // namespace

void Conversation::afterStatus() {
    Run& r = run();
    event(Kind::Status).status = r.status;
    if (const std::optional<Criteria> c = std::exchange(r.criteria, std::nullopt))
        emitText(
            Kind::ConfigurationAnswered,
            configurationReport(c->accepted ? kSuccessfullySet : kUnsuccessfullySet, r.status));
    r.haveStatus = true;
    if (r.goal == RunGoal::Identify) endRun(EndKind::Complete);
    if (downloadAfterStatus_) switchRate();
}

void Conversation::startDownload() {
    Run& r = run();
    Download d;
    d.plan = SectorPlan(sectorsToRead(r.status), r.singleSectors ? 1 : sectorsPerRequest_);
    // A download after new criteria, once the run's end was reported, is still that run's.
    d.afterRunEnd = r.ended;
    r.download = d;
    event(Kind::DownloadStarted).count = d.plan.total();
    requestNextSectors();
}

void Conversation::requestNextSectors() {
    if (!downloading()) return;
    Download& d = *download();
    // Nothing left to read: the download is whole, even when a stop was asked for meanwhile.
    const std::optional<SectorPlan::Request> r = d.plan.next();
    if (!r) return endDownload(EndKind::Complete);
    if (std::exchange(d.stopRequested, false)) return endDownload(EndKind::Stopped);
    if (begin(Step::Sectors, Request{msg::DataQuery, 0, uint16_t(r->first), uint16_t(r->count)},
              *r))
        return;
    stopReading();
    const LinkFailure failure{FailureKind::SendFailed, msg::DataQuery, r->first, 1, {}};
    event(Kind::Failed).failure = failure;
    endRun(EndKind::Failed, failure);
}

// A block identical to the one kept before it is taken for a repeated answer to the previous
// request (no two sectors of a log are alike): it is dropped, the line is let fall quiet, and
// the block is asked for again. Answers to earlier tries can come later than any quiet period:
// a block still equal after a few quiet re-reads fails the download rather than be kept.
void Conversation::onSectorBlock(const QByteArray& data) {
    const Exchange x = *exchange();
    Download* d = downloading() ? download() : nullptr;
    if (d && data == d->lastBlock) {
        if (d->repeatRereads++ >= kMaxSectorAttempts)
            return fail(FailureKind::NoAnswer, QStringLiteral("the sector before came back"));
        note(QStringLiteral("sector %1 came back equal to the one before: asked for again")
                 .arg(x.sectors.first));
        state_.activity = Idle{};
        return settleUntilQuiet(x, Next::NextSectors);
    }
    if (d) {
        d->repeatRereads = 0;
        d->lastBlock = data;
    }
    for (int i = 0; i < x.sectors.count; ++i) {
        ConversationEvent& e = event(Kind::Sector);
        e.sector = x.sectors.first + i;
        e.data = data.mid(qsizetype(i) * qsizetype(kSectorSize), qsizetype(kSectorSize));
    }
    if (d) {
        d->plan.received(x.sectors.count);
        ConversationEvent& e = event(Kind::Progress);
        e.sector = d->plan.read();
        e.count = d->plan.total();
    }
    complete(Next::NextSectors);
}

// A refused block of several sectors is read again one sector at a time: every sector the
// logger gives is kept, and a refusal then names the sector.
void Conversation::onRefusedBlock() {
    const Exchange& x = *exchange();
    download()->plan.splitBlock();
    note(QStringLiteral("sectors %1 to %2 refused as a block: read one at a time")
             .arg(x.sectors.first)
             .arg(x.sectors.first + x.sectors.count - 1));
    complete(Next::NextSectors);
}

void Conversation::answerConfiguration(bool accepted) {
    run().criteria = Criteria{accepted};
    event(Kind::ConfigurationSent).accepted = accepted;
    begin(Step::Status, Request{msg::GetStatus});
    if (!accepted) emitText(Kind::Notice, nackMessage(msg::SetLogCriteria));
}

// The download's end is reported once the line is back at 115200.
void Conversation::endDownload(EndKind kind) {
    Download& d = *download();
    d.phase = Download::Phase::Restoring;
    d.end = kind;
    restoreRate();
}

// The run's end, once; a download after it reports its own end instead.
void Conversation::endRun(EndKind kind, std::optional<LinkFailure> failure) {
    if (!state_.run) return;
    Run& r = *state_.run;
    Download* d = download();
    const bool ending = !std::exchange(r.ended, true);
    if (!ending && !(d && std::exchange(d->afterRunEnd, false))) return;
    RunEnd end{kind, std::move(failure), d != nullptr, 0, 0};
    if (d) {
        end.sectorsRead = d->plan.read();
        end.sectorsExpected = d->plan.total();
    }
    event(ending ? Kind::End : Kind::DownloadEnded).end = end;
}

}  // namespace kav::link
