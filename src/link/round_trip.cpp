#include "link/round_trip.h"

#include <algorithm>

namespace kav::link {

namespace {
constexpr int kMaxBackoff = 8;
}

void RoundTrip::sample(qint64 ms) {
    seen(ms);
    backoff_ = 1;
    if (!have_) {
        have_ = true;
        srtt_ = ms;
        rttvar_ = ms / 2;
        return;
    }
    const qint64 error = ms > srtt_ ? ms - srtt_ : srtt_ - ms;
    rttvar_ = (3 * rttvar_ + error) / 4;
    srtt_ = (7 * srtt_ + ms) / 8;
}

void RoundTrip::backOff() {
    backoff_ = std::min(backoff_ * 2, kMaxBackoff);
}

void RoundTrip::seen(qint64 ms) {
    slowest_ = std::min<qint64>(std::max(slowest_, ms), maxMs_);
}

int RoundTrip::timeoutMs() const {
    const qint64 learnt = have_ ? srtt_ + 4 * rttvar_ : 0;
    const qint64 base = std::max<qint64>(minMs_, learnt);
    return int(std::min<qint64>(base * backoff_, maxMs_));
}

}  // namespace kav::link
