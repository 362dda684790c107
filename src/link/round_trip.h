#pragma once
// How long to wait for an answer, learnt from the answers seen (as TCP does, RFC 6298): a
// smoothed answer time and its spread, a bound that doubles after each time-out and is kept
// until an answer to a request made once gives a new sample (Karn's rule).

#include <QtGlobal>

namespace kav::link {

class RoundTrip {
  public:
    RoundTrip(int minMs, int maxMs) : minMs_(minMs), maxMs_(maxMs) {}

    // An answer to a request made only once came ms after it was sent.
    void sample(qint64 ms);
    // The request timed out: wait longer from now on.
    void backOff();
    // The line changed (another rate): what the time-outs taught no longer holds.
    void forgetBackOff() { backoff_ = 1; }
    // Any answer, even to a request made more than once: the slowest seen so far.
    void seen(qint64 ms);

    // The wait for the answer to a request.
    int timeoutMs() const;
    // How long the line must be quiet before answers still owed are taken as lost.
    qint64 slowestMs() const { return slowest_; }

  private:
    int minMs_, maxMs_;
    bool have_ = false;
    qint64 srtt_ = 0, rttvar_ = 0;
    int backoff_ = 1;
    qint64 slowest_ = 0;
};

}  // namespace kav::link
