#pragma once
// Carries out the core's answers a whole step at a time: every write, rate and close of an
// answer first, its events queued; the queue is delivered in order by the outermost delivery
// only. A handler that calls back into the core (even from a nested event loop) makes a new
// input: its actions are carried out at once, its events join the queue, and the step in
// progress is never re-entered.

#include <deque>
#include <functional>

#include "link/conversation_events.h"

namespace kav::link {

class StepDelivery {
  public:
    // act carries out a write, rate or close (false: the write failed); deliver hands an event
    // to the handlers.
    using Act = std::function<bool(const Action&)>;
    using Deliver = std::function<void(const ConversationEvent&)>;
    StepDelivery(Act act, Deliver deliver) : act_(std::move(act)), deliver_(std::move(deliver)) {}

    // Carries out the answer's actions (after those of an answer still being carried out) and
    // queues its events; false when one of its writes failed.
    bool carryOut(const Actions& answer);
    // Delivers the queued events in order, unless a delivery further out is doing it.
    void deliver();
    bool delivering() const { return delivering_; }

  private:
    Act act_;
    Deliver deliver_;
    std::deque<Action> actions_;
    std::deque<ConversationEvent> events_;
    bool carrying_ = false;
    bool delivering_ = false;
};

}  // namespace kav::link
