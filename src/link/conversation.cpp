#include "link/conversation.h"

#include <algorithm>
#include <utility>

namespace kav::link {

namespace {
// A line that never falls quiet ends the settling after this many quiet periods.
constexpr int kSettleCap = 4;
// Answers owed when their number is unknown: the settling ends only when the line is quiet.
constexpr int kUntilQuiet = 1 << 20;

Conversation::Step stepFor(uint8_t id) {
    switch (id) {
        case msg::GetSoftware:
            return Conversation::Step::Version;
        case msg::StartStopOutput:
            return Conversation::Step::OutputStop;
        case msg::GetUserData:
            return Conversation::Step::UserData;
        case msg::GetStatus:
            return Conversation::Step::Status;
        case msg::DataQuery:
            return Conversation::Step::Sectors;
        case msg::SetLogCriteria:
            return Conversation::Step::Criteria;
        case msg::ClearMemory:
            return Conversation::Step::Clear;
        default:
            return Conversation::Step::Other;
    }
}

}  // namespace

int wireTimeMs(int count, int baud) {
    return (count * 10 * 1000 + baud - 1) / baud;
}

Conversation::Conversation(LinkTimings timings)
    : timings_(timings),
      roundTrip_(timings.replyTimeoutMs,
                 std::max(timings.replyTimeoutMs, timings.maxReplyTimeoutMs)) {}

Conversation::Step Conversation::step() const {
    if (const Exchange* x = exchange()) return x->step;
    if (std::holds_alternative<Settling>(state_.activity)) return Step::Settling;
    if (std::holds_alternative<Closing>(state_.activity)) return Step::Closing;
    return Step::Idle;
}

std::optional<Millis> Conversation::wakeAt() const {
    if (const Exchange* x = exchange()) return x->deadline;
    if (const Settling* s = std::get_if<Settling>(&state_.activity))
        return std::min(s->quietUntil, s->giveUpAt);
    if (const Closing* c = std::get_if<Closing>(&state_.activity)) return c->deadline;
    return std::nullopt;
}

// Inputs.
Actions Conversation::start(Millis now, RunGoal goal) {
    Input input(InputKind::Start, now);
    input.goal = goal;
    return dispatch(input);
}
Actions Conversation::received(Millis now, QByteArrayView bytes) {
    Input input(InputKind::Bytes, now);
    input.bytes = bytes;
    return dispatch(input);
}
Actions Conversation::wake(Millis now) {
    return dispatch(Input(InputKind::Wake, now));
}
Actions Conversation::command(Millis now, const Request& request) {
    Input input(InputKind::Command, now);
    input.request = request;
    return dispatch(input);
}
Actions Conversation::stop(Millis now) {
    return dispatch(Input(InputKind::Stop, now));
}
Actions Conversation::close(Millis now, bool resume) {
    Input input(InputKind::Close, now);
    input.resume = resume;
    return dispatch(input);
}
Actions Conversation::closeNow(Millis now) {
    return dispatch(Input(InputKind::CloseNow, now));
}
Actions Conversation::portLost(Millis now, const QString& reason) {
    Input input(InputKind::PortLost, now);
    input.reason = reason;
    return dispatch(input);
}
Actions Conversation::portClosed(Millis now) {
    return dispatch(Input(InputKind::PortClosed, now));
}
Actions Conversation::writeFailed(Millis now) {
    return dispatch(Input(InputKind::WriteFailed, now));
}

Actions Conversation::dispatch(const Input& input) {
    Actions actions;
    Actions* outer = std::exchange(out_, &actions);
    now_ = input.now;
    const bool wasBusy = busy();
    onInput(input);
    if (wasBusy && !busy()) event(Kind::Idle);
    actions.wakeAt = wakeAt();
    out_ = outer;
    return actions;
}

// What each input means; the state decides the rest in the handlers.
void Conversation::onInput(const Input& input) {
    switch (input.kind) {
        case InputKind::Start:
            return onStart(input.goal);
        case InputKind::Bytes:
            return onBytes(input.bytes);
        case InputKind::Wake:
            return onWake();
        case InputKind::Command:
            if (busy() || !begin(stepFor(input.request.id), input.request,
                                 {input.request.first, std::max<int>(1, input.request.count)}))
                out_->accepted = false;
            else
                exchange()->byCommand = true;
            return;
        case InputKind::Stop:
            if (downloading()) download()->stopRequested = true;
            return;
        case InputKind::Close:
            return onClose(input.resume);
        case InputKind::CloseNow:
            return onCloseNow();
        case InputKind::PortLost:
            return onPortLost(input.reason);
        case InputKind::PortClosed:
            return onPortClosed();
        case InputKind::WriteFailed:
            return onWriteFailed();
    }
}

void Conversation::onStart(RunGoal goal) {
    endRun(EndKind::Closed);
    abandon();
    commands_.setFlagACK(kMaskIdle);
    commands_.setACKByte(0);
    commands_.setPortRemoved(false);
    Run fresh;
    fresh.goal = goal;
    fresh.ended = false;
    fresh.initAck = true;
    state_.run = fresh;
    lineRate_ = kBaseBaud;
    downloadAfterStatus_ = goal == RunGoal::ReadMemory;
    begin(Step::Version, Request{msg::GetSoftware});
}

void Conversation::onWake() {
    if (Exchange* x = exchange()) {
        if (now_ < x->deadline) return;
        // A rate being tried says nothing of the logger's answer time.
        const bool rate =
            x->step == Step::LineRate || x->step == Step::Probe || x->rate == RateStage::Search;
        if (x->phase == Phase::Answer && !rate) roundTrip_.backOff();
        return retryOrFail(FailureKind::NoAnswer);
    }
    if (std::holds_alternative<Settling>(state_.activity)) return onSettleTimeout();
    if (Closing* c = std::get_if<Closing>(&state_.activity); c && now_ >= c->deadline)
        onClosingTimeout();
}

void Conversation::onPortLost(const QString& reason) {
    const bool active = runActive() || exchange();
    const Exchange x = exchange() ? *exchange() : Exchange{};
    abandon();
    commands_.setFlagACK(kMaskIdle);
    lineRate_ = kBaseBaud;
    const LinkFailure failure{FailureKind::PortLost, x.request.id,
                              x.step == Step::Sectors ? x.sectors.first : -1, x.attempts, reason};
    if (active) event(Kind::Failed).failure = failure;
    emitText(Kind::PortLost, reason);
    endRun(EndKind::Failed, failure);
}

// The port closed under the conversation (another port chosen, or closed from outside).
void Conversation::onPortClosed() {
    const int sector = downloading() ? download()->plan.read() : -1;
    abandon();
    lineRate_ = kBaseBaud;
    endRun(EndKind::Failed, LinkFailure{FailureKind::PortLost, msg::DataQuery, sector, 0,
                                        QStringLiteral("the port was closed")});
}

// A request that could not be written ends a run; outside one it is refused silently.
void Conversation::onWriteFailed() {
    out_->accepted = false;
    if (!exchange()) return;
    if (runActive() || downloading()) return fail(FailureKind::SendFailed);
    const Exchange x = dropExchange();
    (void)x;
}

// Actions.
bool Conversation::issued(bool sent) {
    for (const QByteArray& frame : commands_.takeFrames()) write(frame);
    return sent;
}

void Conversation::write(QByteArrayView bytes) {
    Action& action = out_->list.emplace_back();
    action.kind = Action::Kind::Write;
    action.bytes = bytes.toByteArray();
}

void Conversation::setRate(int baud) {
    Action& action = out_->list.emplace_back();
    action.kind = Action::Kind::SetRate;
    action.baud = baud;
}

ConversationEvent& Conversation::event(Kind kind) {
    Action& action = out_->list.emplace_back();
    action.kind = Action::Kind::Emit;
    action.event.kind = kind;
    return action.event;
}

void Conversation::emitText(Kind kind, const QString& text) {
    event(kind).text = text;
}

void Conversation::note(const QString& text) {
    emitText(Kind::Note, text);
}

void Conversation::closePortAction() {
    out_->list.emplace_back().kind = Action::Kind::ClosePort;
}

// The run, one already ended when a command needs it on a port opened without a start.
Conversation::Run& Conversation::run() {
    if (!state_.run) state_.run = Run{};
    return *state_.run;
}

Conversation::Download* Conversation::download() {
    return state_.run && state_.run->download ? &*state_.run->download : nullptr;
}

const Conversation::Download* Conversation::download() const {
    return state_.run && state_.run->download ? &*state_.run->download : nullptr;
}

bool Conversation::downloading() const {
    const Download* d = download();
    return d && d->phase == Download::Phase::Reading;
}

const SectorPlan& Conversation::plan() const {
    static const SectorPlan none;
    const Download* d = download();
    return d ? d->plan : none;
}

// The reads of a download are over (its end, if decided, still to be reported).
void Conversation::stopReading() {
    Download* d = download();
    if (!d) return;
    if (d->phase == Download::Phase::Reading) d->phase = Download::Phase::Over;
    d->stopRequested = false;
}

// Forgets the conversation: nothing in progress, nothing owed, nothing half read.
void Conversation::abandon() {
    state_.activity = Idle{};
    resetReception();
    if (Download* d = download()) d->phase = Download::Phase::Over;
    stopReading();
}

void Conversation::resetReception() {
    receiver_.reset();
    received_.clear();
    rawOwned_ = false;
}

// Exchanges.
bool Conversation::send(const Request& r) {
    switch (r.id) {
        case msg::GetSoftware:
            return issued(commands_.GetSoftware());
        case msg::SerialConfig:
            return issued(commands_.SerialConfig(r.arg));
        case msg::StartStopOutput:
            return issued(commands_.StartStopOutput(r.arg));
        case msg::SetRate:
            return issued(commands_.SetUpdateRate(r.arg));
        case msg::GetRate:
            return issued(commands_.GetRate());
        case msg::GetStatus:
            return issued(commands_.GetStatus());
        case msg::SetLogCriteria:
            return issued(commands_.SetLogCriteria(r.data));
        case msg::ClearMemory:
            return issued(commands_.clearMemory());
        case msg::DataQuery:
            return issued(commands_.DataQuery(r.first, r.count));
        case msg::GetDatum:
            return issued(commands_.GetDatum());
        case msg::GetNavMode:
            return issued(commands_.GetNavMode());
        case msg::GetUserData:
            return issued(commands_.GetUserData());
        case msg::SetUserData:
            return issued(commands_.SetUserData({}));
        default:
            return false;
    }
}

// Starts an exchange. One the mask rule, a removed port or an unknown id refuses is refused
// silently (its bit is given back).
bool Conversation::begin(Step step, const Request& request, SectorPlan::Request sectors,
                         RateStage rate) {
    if (busy()) return false;
    if (!send(request)) {
        if (const auto bit = bitForId(request.id)) commands_.restoreBit(*bit);
        return false;
    }
    Exchange x;
    x.step = step;
    x.request = request;
    x.sectors = sectors;
    x.rate = rate;
    x.firstSent = x.sent = now_;
    state_.activity = x;
    arm();
    return true;
}

int Conversation::payloadTimeoutMs(int sectors) const {
    return timings_.rawBlockTimeoutMs + 3 * wireTimeMs((sectors - 1) * int(kSectorSize), lineRate_);
}

void Conversation::arm() {
    Exchange& x = *exchange();
    if (x.phase == Phase::Answer) {
        const int bound = x.step == Step::Clear         ? timings_.clearTimeoutMs
                          : x.rate == RateStage::Search ? searchWaitMs()
                                                        : roundTrip_.timeoutMs();
        x.deadline = now_ + bound;
        return;
    }
    int bound = roundTrip_.timeoutMs();  // the frame that follows an acknowledgement
    if (x.step == Step::UserData) bound = payloadTimeoutMs(1);
    if (x.step == Step::Sectors) bound = payloadTimeoutMs(x.sectors.count);
    // A block that comes late gets longer each time it is asked again: 1, 1.5, 2 times.
    x.deadline = now_ + bound + bound * (x.attempts - 1) / 2;
}

// Time-outs and protocol errors are asked again a few times; refusals and a lost port are not.
// A block of several sectors is asked for twice, then sector by sector.
void Conversation::retryOrFail(FailureKind kind) {
    Exchange* xp = exchange();
    if (!xp) return;
    Exchange& x = *xp;
    if (x.rate == RateStage::Search) return searchNext();  // one try at each rate
    const bool block = x.step == Step::Sectors && x.sectors.count > 1 && downloading();
    const bool rate = x.step == Step::LineRate || x.step == Step::Probe;
    const int limit = block || rate             ? 2
                      : x.step == Step::Sectors ? kMaxSectorAttempts
                                                : kMaxCommandAttempts;
    if (x.attempts >= limit) {
        if (rate) {
            const Exchange done = dropExchange();
            return settle(done, x.step == Step::LineRate ? Next::RateSilent : Next::ProbeSilent);
        }
        if (!block) return fail(kind);
        download()->plan.splitBlock();
        note(QStringLiteral("sectors %1 to %2 are read one at a time")
                 .arg(x.sectors.first)
                 .arg(x.sectors.first + x.sectors.count - 1));
        const Exchange done = dropExchange();
        return settle(done, Next::NextSectors);
    }
    if (!searchForLogger(kind)) tryAgain(kind);
}

// The exchange's request made once more: at once after no answer, after the line has fallen
// quiet when the answer was garbled.
void Conversation::tryAgain(FailureKind kind) {
    Exchange& x = *exchange();
    ++x.attempts;
    note(
        QStringLiteral("%1 asked for again (attempt %2)").arg(hexId(x.request.id)).arg(x.attempts));
    resetReception();
    if (const auto bit = bitForId(x.request.id)) commands_.restoreBit(*bit);
    x.phase = Phase::Answer;
    if (kind == FailureKind::NoAnswer) return resend();
    // A garbled answer may have company still on its way: the line falls quiet first.
    const Exchange held = x;
    settleUntilQuiet(held, Next::Resend);
}

void Conversation::resend() {
    Exchange& x = *exchange();
    x.sent = now_;
    if (!send(x.request)) return fail(FailureKind::SendFailed);
    arm();
}

// Gives up on the exchange in progress: the mask is released, the answers it may still get are
// let through, and what was read is kept. A run ends here.
void Conversation::fail(FailureKind kind, const QString& detail) {
    if (!exchange()) return;
    const Exchange x = dropExchange();
    stopReading();
    const LinkFailure failure{kind, x.request.id, x.step == Step::Sectors ? x.sectors.first : -1,
                              x.attempts, detail};
    event(Kind::Failed).failure = failure;
    endRun(EndKind::Failed, failure);
    settle(x, Next::RestoreRate);
}

// Takes the exchange in progress out without its answer: its bit is released, so the next
// request is not held back by the mask rule.
Conversation::Exchange Conversation::dropExchange() {
    const Exchange x = *exchange();
    state_.activity = Idle{};
    resetReception();
    commands_.setFlagACK(kMaskIdle);
    return x;
}

// The exchange got its answer. After a request made more than once, the answers to the other
// tries are let through before anything else is asked.
void Conversation::complete(Next next) {
    const Exchange x = *exchange();
    // What a command asked for is reported; it starts no download.
    if (x.byCommand && next == Next::Status) next = Next::CommandStatus;
    if (x.byCommand && next == Next::AfterStatus) next = Next::StatusOnly;
    if (x.attempts > 1) return settle(x, next);
    state_.activity = Idle{};
    then(next, x.rate);
}

qint64 Conversation::quietMs() const {
    return std::max<qint64>(timings_.settleMs,
                            roundTrip_.slowestMs() + timings_.replyTimeoutMs / 4);
}

void Conversation::settle(const Exchange& x, Next next, int owed) {
    Settling s;
    s.id = x.request.id;
    s.owed = owed >= 0 ? owed : std::max(0, x.attempts - x.answers);
    s.next = next;
    s.rate = x.rate;
    s.attempts = x.attempts;
    s.sector = x.step == Step::Sectors ? x.sectors.first : -1;
    s.sent = x.sent;
    s.quietUntil = now_ + quietMs();
    s.giveUpAt = now_ + kSettleCap * quietMs();
    state_.activity = s;
    settleIfDone();
}

void Conversation::settleUntilQuiet(const Exchange& x, Next next) {
    settle(x, next, kUntilQuiet);
    if (Settling* s = std::get_if<Settling>(&state_.activity)) s->held = x;
}

// Every answer owed has come, and a block announced by the last of them has been read.
void Conversation::settleIfDone() {
    const Settling* s = std::get_if<Settling>(&state_.activity);
    if (s && s->owed <= 0 && !receiver_.expectingRawBlock()) endSettle();
}

void Conversation::endSettle() {
    const Settling s = std::get<Settling>(state_.activity);
    state_.activity = Idle{};
    if (s.next != Next::Resend) return then(s.next, s.rate);
    state_.activity = s.held;
    resend();
}

// The line fell quiet: the answers still owed are lost. A line that never falls quiet leaves
// it undecided whether the next answer is the next request's: a download fails rather than
// keep a doubtful sector.
void Conversation::onSettleTimeout() {
    const Settling s = std::get<Settling>(state_.activity);
    if (now_ >= s.quietUntil) return endSettle();
    if (now_ < s.giveUpAt) return;
    if (!downloading()) return endSettle();
    state_.activity = Idle{};
    resetReception();
    stopReading();
    const LinkFailure failure{FailureKind::NoAnswer, s.id, s.sector, s.attempts,
                              QStringLiteral("the line never fell quiet")};
    event(Kind::Failed).failure = failure;
    endRun(EndKind::Failed, failure);
    restoreRate();
}

// What follows an exchange.
void Conversation::then(Next next, RateStage rate) {
    switch (next) {
        case Next::None:
            return;
        case Next::OutputStop:
            begin(Step::OutputStop, Request{msg::StartStopOutput, 0});
            return;
        case Next::UserData:
            if (!std::exchange(run().initAck, false)) return;
            begin(Step::UserData, Request{msg::GetUserData});
            return;
        case Next::Status:
            begin(Step::Status, Request{msg::GetStatus});
            return;
        case Next::AfterStatus:
            return afterStatus();
        case Next::CommandStatus:
            if (begin(Step::Status, Request{msg::GetStatus})) exchange()->byCommand = true;
            return;
        case Next::StatusOnly:
            event(Kind::Status).status = run().status;
            return;
        case Next::NextSectors:
            return requestNextSectors();
        case Next::ConfigAccepted:
        case Next::ConfigRefused:
            return answerConfiguration(next == Next::ConfigAccepted);
        case Next::Cleared:
            event(Kind::MemoryCleared);
            return;
        case Next::RateAcked:
        case Next::RateRefused:
        case Next::RateSilent:
            return onRateAnswer(next, rate);
        case Next::ProbeAnswered:
        case Next::ProbeSilent:
            return onProbeAnswer(next == Next::ProbeAnswered, rate);
        case Next::ProbeRefused:
            return onProbeRefused();
        case Next::Resend:
            return;
        case Next::RestoreRate:
            return restoreRate();
        case Next::Found:
            return putBack();
    }
}

}  // namespace kav::link
