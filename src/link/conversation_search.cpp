// Looking for a logger left at another line rate (a run before was cut while fast): when the
// version request gets no answer at 115200, it is made once at each other rate, briefly. A
// logger found is put back at 115200 first; the run then starts again there as if it had
// answered at once.
#include <algorithm>
#include <array>

#include "link/conversation.h"

namespace kav::link {

namespace {

constexpr std::array kSearchRates{921600, 460800, 230400, 57600, 38400, 19200, 9600};
// A logger put back that is silent at 115200 all the same is looked for once more.
constexpr int kMaxSearches = 2;
// The request, its acknowledgement and a margin, on the wire at the rate tried.
constexpr int kSearchWireBytes = 32;
// The logger's usual answer time, as a part of the first reply time-out (250 ms by default).
constexpr int kSearchAnswerDivisor = 4;

// The rate to try after baud; the first from any rate outside the list, none after the last.
std::optional<int> rateAfter(int baud) {
    auto it = std::find(kSearchRates.begin(), kSearchRates.end(), baud);
    if (it == kSearchRates.end()) return kSearchRates.front();
    if (++it == kSearchRates.end()) return std::nullopt;
    return *it;
}

}  // namespace

int Conversation::searchWaitMs() const {
    return timings_.replyTimeoutMs / kSearchAnswerDivisor +
           3 * wireTimeMs(kSearchWireBytes, lineRate_);
}

// The first try of the version request that starts a run got no answer at all: the other
// rates are tried before the tries at 115200 go on, so a logger left fast is found in seconds.
// A version asked for by a command, after the logger answered, is not a reason to look.
bool Conversation::searchForLogger(FailureKind kind) {
    const Exchange& x = *exchange();
    const bool silent = kind == FailureKind::NoAnswer && x.answers == 0 && x.attempts == 1;
    const bool handshake = runActive() && !run().haveStatus && x.step == Step::Version;
    if (!handshake || x.rate == RateStage::Search || !silent || run().searches >= kMaxSearches)
        return false;
    ++run().searches;
    dropExchange();
    note(QStringLiteral("no answer at 115200 baud: the logger is looked for at the other rates"));
    searchAt(kSearchRates.front());
    return true;
}

void Conversation::searchAt(int baud) {
    useRate(baud);
    begin(Step::Version, Request{msg::GetSoftware}, {}, RateStage::Search);
}

// No answer at this rate: the next one, or after the last, the tries at 115200 go on where
// the first one left them (the tries counted are those at 115200).
void Conversation::searchNext() {
    const std::optional<int> next = rateAfter(lineRate_);
    if (next) {
        dropExchange();
        return searchAt(*next);
    }
    useRate(kBaseBaud);
    Exchange& x = *exchange();
    x.rate = RateStage::None;
    x.attempts = 1;
    tryAgain(FailureKind::NoAnswer);
}

void Conversation::putBack() {
    run().foundAt = lineRate_;
    note(
        QStringLiteral("the logger answers at %1 baud: it is asked back to 115200").arg(lineRate_));
    requestRate(kBaseBaud, RateStage::PutBack);
}

// Acknowledged, refused or silent: whether the logger now listens at 115200 is asked there.
void Conversation::onPutBackAnswered() {
    useRate(kBaseBaud);
    begin(Step::Version, Request{msg::GetSoftware}, {}, RateStage::Returned);
}

}  // namespace kav::link
