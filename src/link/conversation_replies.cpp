// What the logger's frames and raw blocks mean in each state of the conversation.
#include <utility>

#include "link/conversation.h"

namespace kav::link {

namespace {

const char* stepName(Conversation::Step step) {
    switch (step) {
        case Conversation::Step::Idle:
            return "idle";
        case Conversation::Step::Version:
            return "asking for the version";
        case Conversation::Step::OutputStop:
            return "stopping the output";
        case Conversation::Step::UserData:
            return "reading the user data";
        case Conversation::Step::Status:
            return "asking for the log status";
        case Conversation::Step::Sectors:
            return "reading sectors";
        case Conversation::Step::Criteria:
            return "sending the log criteria";
        case Conversation::Step::Clear:
            return "clearing the memory";
        case Conversation::Step::LineRate:
            return "changing the line rate";
        case Conversation::Step::Probe:
            return "checking the line rate";
        case Conversation::Step::Other:
            return "waiting for an answer";
        case Conversation::Step::Settling:
            return "settling";
        case Conversation::Step::Closing:
            return "closing";
    }
    return "";
}

constexpr int32_t kMaskOnlySetUserData = 0x37FF;

}  // namespace

void Conversation::onBytes(QByteArrayView bytes) {
    received_.append(bytes);
    // While settling, the line must fall quiet (up to a bound, for a line that never does).
    if (Settling* s = std::get_if<Settling>(&state_.activity); s && now_ < s->giveUpAt)
        s->quietUntil = now_ + quietMs();
    for (;;) {
        const ReceiverEvent event = receiver_.next(received_);
        if (event.kind == ReceiverEvent::Kind::NeedMore) break;
        received_.remove(0, qsizetype(event.consumed));
        onReceiverEvent(event);
    }
}

void Conversation::onReceiverEvent(const ReceiverEvent& event) {
    switch (event.kind) {
        case ReceiverEvent::Kind::Frame:
            return onFrame(event.frame);
        case ReceiverEvent::Kind::RawBlock:
            return onRawBlock(event.block);
        case ReceiverEvent::Kind::BadFrame:
            return emitText(Kind::Notice, noStartStopMessage(event.bytes));
        case ReceiverEvent::Kind::BadTrailer:
            return onBadTrailer();
        case ReceiverEvent::Kind::NeedMore:
        case ReceiverEvent::Kind::Skipped:
            return;
    }
}

void Conversation::drop(const QString& what) {
    note(QStringLiteral("dropped %1 (%2)").arg(what, QLatin1String(stepName(step()))));
}

bool Conversation::awaits(uint8_t id, Phase phase) const {
    const Exchange* x = exchange();
    return x && x->request.id == id && x->phase == phase;
}

bool Conversation::inStep(Step s) const {
    const Exchange* x = exchange();
    return x && x->step == s;
}

// The time an answer to the exchange in progress took: a sample when the request was made
// once; otherwise only the slowest answer is known (it may answer the first try).
void Conversation::timeAnswer() {
    Exchange& x = *exchange();
    if (x.phase != Phase::Answer) return;
    if (x.attempts == 1)
        roundTrip_.sample(now_ - x.sent);
    else
        roundTrip_.seen(now_ - x.firstSent);
}

// A frame whose checksum fails is not acted on; the time-out asks again for what it carried.
void Conversation::onFrame(const Frame& frame) {
    if (!frame.checksumOk())
        return drop(QStringLiteral("frame %1 with a bad checksum").arg(hexId(frame.id)));
    const uint8_t first = frame.body.isEmpty() ? 0 : static_cast<uint8_t>(frame.body[0]);
    switch (frame.id) {
        case msg::Version:
            return onVersion(frame.body);
        case msg::Ack:
            if (frame.body.isEmpty()) return drop(QStringLiteral("an empty acknowledgement"));
            if (first == msg::SetUserData && commands_.FlagACK() == kMaskOnlySetUserData) {
                QString line = QStringLiteral("User data sent OK ");
                for (char c : frame.body) line += QString::number(uint8_t(c));
                emitText(Kind::MemoLine, line);
            }
            return onAnswer(first, true);
        case msg::Nack:
            return onAnswer(first, false);
        case msg::LogStatus:
            return onLogStatus(frame.body);
        case msg::Ignored86:
        case msg::IgnoredB5:
            return;
        default:
            emitText(Kind::Notice, transmissionFailureMessage(frame.id));
    }
}

// An acknowledgement or refusal: acted on only when it answers the request in progress.
void Conversation::onAnswer(uint8_t id, bool accepted) {
    commands_.setACKByte(id);
    if (std::holds_alternative<Closing>(state_.activity)) return onClosingAnswer(id, accepted);
    if (awaits(id, Phase::Answer)) {
        timeAnswer();
        ++exchange()->answers;
        if (const auto bit = bitForId(id)) commands_.restoreBit(*bit);
        return accepted ? onAcknowledged() : onRefused();
    }
    if (Exchange* x = exchange(); x && x->request.id == id) ++x->answers;
    if (Settling* s = std::get_if<Settling>(&state_.activity); s && s->id == id) {
        --s->owed;
        roundTrip_.seen(now_ - s->sent);
    }
    // A rate change acknowledged too late to be used may have switched the logger all the same.
    if (accepted && id == msg::SerialConfig && state_.run && state_.run->rate)
        state_.run->rate->doubt = true;
    // The block that follows an acknowledgement of a read is read by its length and dropped.
    if (accepted && (id == msg::DataQuery || id == msg::GetUserData)) {
        receiver_.expectRawBlock(lastRawSize_[id == msg::DataQuery ? 1 : 0]);
        rawOwned_ = false;
    }
    drop(QStringLiteral("%1 of %2")
             .arg(accepted ? QStringLiteral("acknowledgement") : QStringLiteral("refusal"),
                  hexId(id)));
    settleIfDone();
}

void Conversation::onAcknowledged() {
    Exchange& x = *exchange();
    if (x.rate == RateStage::Search) return complete(Next::Found);
    switch (x.step) {
        case Step::Version:
        case Step::Status:
        case Step::Probe:
            x.phase = Phase::Payload;
            return arm();
        case Step::UserData:
            return expectPayload(kSectorSize);
        case Step::Sectors:
            return expectPayload(std::size_t(x.sectors.count) * kSectorSize);
        case Step::OutputStop:
            return complete(Next::UserData);
        case Step::Criteria:
            return complete(Next::ConfigAccepted);
        case Step::Clear:
            return complete(Next::Cleared);
        case Step::LineRate:
            return complete(Next::RateAcked);
        default:
            return complete(Next::None);
    }
}

// A refusal of the log criteria is reported with the next status; a refused rate is not used;
// a refused status at a new rate proves the logger hears it, as does any answer at a rate tried
// while looking for it; a refused block is read sector by sector; any other refusal ends the
// exchange (and a download) at once.
void Conversation::onRefused() {
    const Exchange& x = *exchange();
    if (x.rate == RateStage::Search) return complete(Next::Found);
    if (x.step == Step::LineRate) return complete(Next::RateRefused);
    if (x.step == Step::Probe) return complete(Next::ProbeRefused);
    if (x.step == Step::Criteria) return complete(Next::ConfigRefused);
    if (x.step == Step::Sectors && x.sectors.count > 1 && downloading()) return onRefusedBlock();
    fail(FailureKind::Refused);
}

void Conversation::expectPayload(std::size_t rawBytes) {
    Exchange& x = *exchange();
    receiver_.expectRawBlock(rawBytes);
    rawOwned_ = true;
    lastRawSize_[x.step == Step::Sectors ? 1 : 0] = rawBytes;
    x.phase = Phase::Payload;
    arm();
}

// The version answers GetSoftware even when its acknowledgement was lost; a version that does
// not arrive whole is asked for again, so the names in every file are the logger's own. At a
// rate tried while looking for the logger, the frame only says it is there.
void Conversation::onVersion(const QByteArray& body) {
    if (!inStep(Step::Version)) return drop(QStringLiteral("version message"));
    const RateStage stage = exchange()->rate;
    const std::optional<VersionInfo> info = parseVersion(body);
    if (!info && stage != RateStage::Search) return retryOrFail(FailureKind::ShortReply);
    if (exchange()->phase == Phase::Answer) {
        timeAnswer();
        commands_.restoreBit(*bitForId(msg::GetSoftware));
    }
    if (stage == RateStage::Search) return complete(Next::Found);
    event(Kind::Version).version = *info;
    if (stage == RateStage::Returned) {
        const int foundAt = run().foundAt;
        note(QStringLiteral("the logger found at %1 baud answers at 115200").arg(foundAt));
        event(Kind::RateFound).baud = foundAt;
    }
    complete(Next::OutputStop);
}

void Conversation::onLogStatus(const QByteArray& body) {
    if (!inStep(Step::Status) && !inStep(Step::Probe)) return drop(QStringLiteral("log status"));
    const std::optional<LogStatus> status = parseLogStatus(body);
    if (!status) return retryOrFail(FailureKind::ShortReply);
    // The status itself proves the request arrived, even if its acknowledgement was lost.
    if (exchange()->phase == Phase::Answer) {
        timeAnswer();
        commands_.restoreBit(*bitForId(msg::GetStatus));
    }
    if (inStep(Step::Probe)) return complete(Next::ProbeAnswered);
    run().status = *status;
    complete(Next::AfterStatus);
}

// A raw block is taken only as the answer to the request in progress, with a matching
// checksum; a bad one is asked for again.
void Conversation::onRawBlock(const RawBlock& block) {
    const bool owned = std::exchange(rawOwned_, false);
    const Exchange* x = exchange();
    if (!owned || !x || x->phase != Phase::Payload) {
        drop(QStringLiteral("data block"));
        return settleIfDone();
    }
    if (!block.checksumOk()) return retryOrFail(FailureKind::BadChecksum);
    if (x->step == Step::UserData) {
        emitText(Kind::SerialNumber, serialNumberFromUserData(block.data));
        return complete(Next::Status);
    }
    onSectorBlock(block.data);
}

void Conversation::onBadTrailer() {
    const bool owned = std::exchange(rawOwned_, false);
    const Exchange* x = exchange();
    if (owned && x && x->phase == Phase::Payload) return retryOrFail(FailureKind::BadTrailer);
    drop(QStringLiteral("data block with a bad trailer"));
    settleIfDone();
}

}  // namespace kav::link
