#include "virtual_clock.h"

#include <algorithm>

namespace kav::link {

void VirtualClock::after(Millis delay, std::function<void()> event) {
    events_.emplace(now_ + std::max<Millis>(0, delay), std::move(event));
}

void VirtualClock::advance(Millis ms) {
    const Millis until = now_ + ms;
    while (runNext(until)) {
    }
    now_ = until;
}

bool VirtualClock::advanceUntil(const std::function<bool()>& done, Millis limit) {
    const Millis until = now_ + limit;
    while (!done())
        if (!runNext(until)) return false;
    return true;
}

std::optional<Millis> VirtualClock::next() const {
    if (events_.empty()) return wakeAt_;
    const Millis event = events_.begin()->first;
    return wakeAt_ ? std::min(*wakeAt_, event) : event;
}

// An event due at the same time as the wake-up runs first: it was scheduled earlier.
bool VirtualClock::runNext(Millis until) {
    const std::optional<Millis> at = next();
    if (!at || *at > until) return false;
    now_ = std::max(now_, *at);
    if (!events_.empty() && events_.begin()->first == *at) {
        const std::function<void()> event = std::move(events_.begin()->second);
        events_.erase(events_.begin());
        event();
        return true;
    }
    wakeAt_.reset();
    emit woke();
    return true;
}

}  // namespace kav::link
