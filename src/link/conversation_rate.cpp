// The line rate of the conversation: asking the logger for a faster one, confirming it, finding
// the way back when the logger does not follow, and always ending at 115200, also when the
// port is closed.
#include <algorithm>

#include "link/conversation.h"

namespace kav::link {

// How long a close waits for the logger's answer to a rate change: longer than the slowest
// answer seen, so a slow logger's late switch is not missed.
qint64 Conversation::closingWaitMs() const {
    return std::max<qint64>(3 * timings_.replyTimeoutMs, quietMs());
}

void Conversation::useRate(int baud) {
    roundTrip_.forgetBackOff();
    setRate(baud);
    lineRate_ = baud;
}

// 0x05 is acknowledged at the old rate, then the logger switches: the host follows once the
// acknowledgement is in.
void Conversation::requestRate(int baud, RateStage stage) {
    if (!begin(Step::LineRate, Request{msg::SerialConfig, *baudIndex(baud)}, {}, stage))
        onRateAnswer(Next::RateSilent, stage);
}

// A status request at the rate now set: does the logger answer?
void Conversation::probe(RateStage stage) {
    if (!begin(Step::Probe, Request{msg::GetStatus}, {}, stage)) onProbeAnswer(false, stage);
}

void Conversation::switchRate() {
    if (wantedRate_ == lineRate_ || !baudIndex(wantedRate_) || run().singleSectors)
        return startDownload();
    RateChange& r = rateChange();
    r.oldRate = lineRate_;
    r.triedRate = wantedRate_;
    r.probeRefusals = 0;
    requestRate(r.triedRate, RateStage::Switch);
}

// The run's rate change; its doubt stays from one change to the next within the run.
Conversation::RateChange& Conversation::rateChange() {
    Run& r = run();
    if (!r.rate) r.rate = RateChange{};
    return *r.rate;
}

int Conversation::triedRate() const {
    return state_.run && state_.run->rate ? state_.run->rate->triedRate : kBaseBaud;
}

void Conversation::onRateAnswer(Next answer, RateStage stage) {
    const int oldRate = state_.run && state_.run->rate ? state_.run->rate->oldRate : kBaseBaud;
    switch (stage) {
        case RateStage::Switch:
            if (answer == Next::RateRefused)
                return rateFallback(QStringLiteral("the logger refused %1 baud").arg(triedRate()),
                                    true);
            if (answer == Next::RateSilent) {
                useRate(oldRate);
                return probe(RateStage::TryOld);
            }
            useRate(triedRate());
            return probe(RateStage::Confirm);
        case RateStage::AskBack:
            useRate(oldRate);
            return probe(RateStage::ConfirmBack);
        case RateStage::Restore:
            useRate(kBaseBaud);
            event(Kind::LineRate).baud = kBaseBaud;
            return rateDone();
        case RateStage::PutBack:
            return onPutBackAnswered();
        default:
            return;
    }
}

// The logger did not answer at the new rate: it may have stayed at the old one, or switched
// without answering. The old rate is tried first; then the logger is asked back from the new.
void Conversation::onProbeAnswer(bool answered, RateStage stage) {
    const RateChange& r = rateChange();
    const QString silent = QStringLiteral("no answer at %1 baud").arg(r.triedRate);
    switch (stage) {
        case RateStage::Confirm:
            if (!answered) {
                useRate(r.oldRate);
                return probe(RateStage::TryOld);
            }
            event(Kind::LineRate).baud = r.triedRate;
            return startDownload();
        case RateStage::TryOld:
            if (answered) return rateFallback(silent);
            useRate(r.triedRate);
            return requestRate(r.oldRate, RateStage::AskBack);
        case RateStage::ConfirmBack: {
            if (answered) return rateFallback(silent);
            // Silent at both rates: the logger may yet take either, so the close asks it back.
            rateChange().doubt = true;
            const LinkFailure failure{FailureKind::LineRate, msg::SerialConfig, -1, 0,
                                      QString::number(r.triedRate)};
            event(Kind::Failed).failure = failure;
            return endRun(EndKind::Failed, failure);
        }
        default:
            return;
    }
}

// A refusal proves the logger hears the rate: the status is asked for once more, and a second
// refusal is taken as an answer too.
void Conversation::onProbeRefused() {
    if (rateChange().probeRefusals++ == 0) return probe(RateStage::Confirm);
    onProbeAnswer(true, RateStage::Confirm);
}

// The download goes on at the old rate, one sector a request. Unless the logger refused, an
// answer to the rate change may still come late and switch it: it is asked back at the end.
void Conversation::rateFallback(const QString& why, bool refused) {
    run().singleSectors = true;
    if (!refused) rateChange().doubt = true;
    note(QStringLiteral("line rate: ") + why);
    {
        ConversationEvent& e = event(Kind::LineRate);
        e.text = why;
        e.baud = lineRate_;
    }
    startDownload();
}

// Asks the logger back to 115200 from the rate it may have taken, without waiting: at 115200
// it takes those bytes for noise.
void Conversation::askBackBlind() {
    RateChange* r = state_.run && state_.run->rate ? &*state_.run->rate : nullptr;
    if (!r || !std::exchange(r->doubt, false) || lineRate_ != kBaseBaud) return;
    useRate(r->triedRate);
    commands_.setFlagACK(kMaskIdle);
    issued(commands_.SerialConfig(*baudIndex(kBaseBaud)));
    commands_.setFlagACK(kMaskIdle);
    useRate(kBaseBaud);
}

void Conversation::restoreRate() {
    askBackBlind();
    if (lineRate_ == kBaseBaud) return rateDone();
    requestRate(kBaseBaud, RateStage::Restore);
}

void Conversation::rateDone() {
    Download* d = download();
    if (!d || d->phase != Download::Phase::Restoring) return;
    d->phase = Download::Phase::Over;
    endRun(d->end);
}

// Closed while a change of rate is undecided (its answer lost, the old rate being tried): the
// logger may have taken the faster rate, so it is asked back from there too.
void Conversation::doubtUndecidedRate() {
    const Exchange* x = exchange();
    const Settling* s = std::get_if<Settling>(&state_.activity);
    const RateStage stage = x ? x->rate : s ? s->rate : RateStage::None;
    const bool undecided = stage == RateStage::Switch || stage == RateStage::Confirm ||
                           stage == RateStage::TryOld || stage == RateStage::AskBack ||
                           stage == RateStage::ConfirmBack;
    if (undecided) rateChange().doubt = true;
}

// The request for a faster rate is out and its answer, which switches the logger, may still
// come: being made, or its tries' answers let through before it is made again or acted on.
bool Conversation::switchOutstanding() const {
    if (const Exchange* x = exchange())
        return x->step == Step::LineRate && x->rate == RateStage::Switch;
    const Settling* s = std::get_if<Settling>(&state_.activity);
    return s && s->id == msg::SerialConfig && s->rate == RateStage::Switch;
}

// A run still going when the port closes: a download is stopped; a command run that had its
// status reached its goal; anything else was closed before its goal.
EndKind Conversation::closingEnd() const {
    if (downloading()) return EndKind::Stopped;
    const bool commandReady =
        state_.run && state_.run->goal == RunGoal::Command && state_.run->haveStatus;
    return commandReady ? EndKind::Complete : EndKind::Closed;
}

// Closing. A run still going ends as closed (a download as stopped); a faster line is brought
// back to 115200 first, also when the logger's answer to the faster rate is still to come.
void Conversation::onClose(bool resume) {
    if (std::holds_alternative<Closing>(state_.activity)) return;
    const bool switching = switchOutstanding();
    const int target = triedRate();
    if (!switching) doubtUndecidedRate();
    endRun(closingEnd());
    if (!switching && lineRate_ == kBaseBaud) {
        const bool idle = !busy();
        abandon();
        askBackBlind();
        if (resume && idle) issued(commands_.StartStopOutput(1));  // its answer is not awaited
        return closePortAction();
    }
    abandon();
    commands_.setFlagACK(kMaskIdle);
    Closing c{switching, target, resume, now_ + closingWaitMs()};
    if (!switching) issued(commands_.SerialConfig(*baudIndex(kBaseBaud)));
    state_.activity = c;
}

void Conversation::onClosingAnswer(uint8_t id, bool accepted) {
    Closing& c = std::get<Closing>(state_.activity);
    if (id != msg::SerialConfig) return drop(QStringLiteral("answer to %1").arg(hexId(id)));
    if (!c.awaitSwitch || !accepted) return finishClosing();
    // The logger now talks at the faster rate: it is asked back from there.
    c.awaitSwitch = false;
    c.deadline = now_ + closingWaitMs();
    useRate(c.switchTarget);
    commands_.setFlagACK(kMaskIdle);
    issued(commands_.SerialConfig(*baudIndex(kBaseBaud)));
}

// No answer: whether the logger switched is unknown, so it is asked back from the faster rate
// too (at 115200 it takes those bytes for noise).
void Conversation::onClosingTimeout() {
    Closing& c = std::get<Closing>(state_.activity);
    if (c.awaitSwitch) {
        useRate(c.switchTarget);
        commands_.setFlagACK(kMaskIdle);
        issued(commands_.SerialConfig(*baudIndex(kBaseBaud)));
    }
    finishClosing();
}

void Conversation::finishClosing() {
    const Closing c = std::get<Closing>(state_.activity);
    state_.activity = Idle{};
    resetReception();
    if (lineRate_ != kBaseBaud) useRate(kBaseBaud);
    commands_.setFlagACK(kMaskIdle);
    if (c.resume) issued(commands_.StartStopOutput(1));
    closePortAction();
}

// The same without waiting: the request leaves, the port follows at 115200 and closes.
void Conversation::onCloseNow() {
    const Closing* closing = std::get_if<Closing>(&state_.activity);
    const bool switching = switchOutstanding() || (closing && closing->awaitSwitch);
    if (!switching) doubtUndecidedRate();
    endRun(closingEnd());
    abandon();
    askBackBlind();
    if (switching) useRate(triedRate());
    if (lineRate_ != kBaseBaud) {
        commands_.setFlagACK(kMaskIdle);
        issued(commands_.SerialConfig(*baudIndex(kBaseBaud)));
        useRate(kBaseBaud);
    }
    closePortAction();
}

}  // namespace kav::link
