#pragma once
// A clock for tests that moves only when told: the link's wake-up and the test's own events
// (a logger's answers, a lost port) run in time order as virtual time is advanced, so a test
// takes no real time beyond its work.

#include <functional>
#include <map>
#include <optional>

#include "link/link_clock.h"

namespace kav::link {

class VirtualClock final : public LinkClock {
    Q_OBJECT
  public:
    using LinkClock::LinkClock;

    Millis now() const override { return now_; }
    void wakeAt(Millis at) override { wakeAt_ = at; }
    void cancel() override { wakeAt_.reset(); }
    void pass(Millis ms) override { advance(ms); }

    // Runs event at now + delay, after the events already due then.
    void after(Millis delay, std::function<void()> event);
    // Lets ms go by: everything due meanwhile runs, in time order.
    void advance(Millis ms);
    // Runs event after event until done() holds or limit ms have gone by; whether done() held.
    bool advanceUntil(const std::function<bool()>& done, Millis limit);
    // Nothing is scheduled: neither the link's wake-up nor an event.
    bool quiet() const { return !wakeAt_ && events_.empty(); }

  private:
    // The time of the next event or wake-up, if any.
    std::optional<Millis> next() const;
    // Moves to the next event or wake-up, if due by until, and runs it; false when none is.
    bool runNext(Millis until);

    Millis now_ = 0;
    std::optional<Millis> wakeAt_;
    std::multimap<Millis, std::function<void()>> events_;
};

}  // namespace kav::link
