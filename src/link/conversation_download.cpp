// The download: from the log status to the last sector, and the end of a run.
#include "link/conversation.h"

namespace kav::link {

namespace {
const QString kSuccessfullySet = QStringLiteral("Successfully set : ");
const QString kUnsuccessfullySet = QStringLiteral("Unsucessefully set");
}  // namespace

void Conversation::afterStatus() {
    event(Kind::Status).status = status_;
    if (std::exchange(configPending_, false))
        emitText(
            Kind::ConfigurationAnswered,
            configurationReport(configAccepted_ ? kSuccessfullySet : kUnsuccessfullySet, status_));
    haveStatus_ = true;
    if (goal_ == RunGoal::Identify) endRun(EndKind::Complete);
    if (downloadAfterStatus_) switchRate();
}

void Conversation::startDownload() {
    plan_ = SectorPlan(sectorsToRead(status_), singleSectors_ ? 1 : sectorsPerRequest_);
    downloading_ = true;
    downloadRan_ = true;
    stopRequested_ = false;
    lastBlock_.clear();
    repeatRereads_ = 0;
    // A download after new criteria, once the run's end was reported, is still that run's.
    downloadAfterEnd_ = !runActive_;
    event(Kind::DownloadStarted).count = plan_.total();
    requestNextSectors();
}

void Conversation::requestNextSectors() {
    if (!downloading_) return;
    // Nothing left to read: the download is whole, even when a stop was asked for meanwhile.
    const std::optional<SectorPlan::Request> r = plan_.next();
    if (!r) return endDownload(EndKind::Complete);
    if (std::exchange(stopRequested_, false)) return endDownload(EndKind::Stopped);
    if (begin(Step::Sectors, Request{msg::DataQuery, 0, uint16_t(r->first), uint16_t(r->count)},
              *r))
        return;
    downloading_ = false;
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
    if (downloading_ && data == lastBlock_) {
        if (repeatRereads_++ >= kMaxSectorAttempts)
            return fail(FailureKind::NoAnswer, QStringLiteral("the sector before came back"));
        note(QStringLiteral("sector %1 came back equal to the one before: asked for again")
                 .arg(x.sectors.first));
        state_ = Idle{};
        return settleUntilQuiet(x, Next::NextSectors);
    }
    repeatRereads_ = 0;
    lastBlock_ = data;
    for (int i = 0; i < x.sectors.count; ++i) {
        ConversationEvent& e = event(Kind::Sector);
        e.sector = x.sectors.first + i;
        e.data = data.mid(qsizetype(i) * qsizetype(kSectorSize), qsizetype(kSectorSize));
    }
    if (downloading_) {
        plan_.received(x.sectors.count);
        {
            ConversationEvent& e = event(Kind::Progress);
            e.sector = plan_.read();
            e.count = plan_.total();
        }
    }
    complete(Next::NextSectors);
}

// A refused block of several sectors is read again one sector at a time: every sector the
// logger gives is kept, and a refusal then names the sector.
void Conversation::onRefusedBlock() {
    const Exchange& x = *exchange();
    plan_.splitBlock();
    note(QStringLiteral("sectors %1 to %2 refused as a block: read one at a time")
             .arg(x.sectors.first)
             .arg(x.sectors.first + x.sectors.count - 1));
    complete(Next::NextSectors);
}

void Conversation::answerConfiguration(bool accepted) {
    configPending_ = true;
    configAccepted_ = accepted;
    event(Kind::ConfigurationSent).accepted = accepted;
    begin(Step::Status, Request{msg::GetStatus});
    if (!accepted) emitText(Kind::Notice, nackMessage(msg::SetLogCriteria));
}

// The download's end is reported once the line is back at 115200.
void Conversation::endDownload(EndKind kind) {
    downloading_ = false;
    pendingEnd_ = kind;
    endAfterRestore_ = true;
    restoreRate();
}

// The run's end, once; a download after it reports its own end instead.
void Conversation::endRun(EndKind kind, std::optional<LinkFailure> failure) {
    const bool run = std::exchange(runActive_, false);
    if (!run && !std::exchange(downloadAfterEnd_, false)) return;
    RunEnd end{kind, std::move(failure), downloadRan_, plan_.read(), plan_.total()};
    if (!downloadRan_) end.sectorsRead = end.sectorsExpected = 0;
    event(run ? Kind::End : Kind::DownloadEnded).end = end;
}

}  // namespace kav::link
