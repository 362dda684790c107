#include "link/step_delivery.h"

#include <utility>

namespace kav::link {

bool StepDelivery::carryOut(const Actions& answer) {
    for (const Action& action : answer.list) {
        if (action.kind == Action::Kind::Emit)
            events_.push_back(action.event);
        else
            actions_.push_back(action);
    }
    // A transport that answers inside a write adds its actions behind the ones pending here.
    if (carrying_) return true;
    carrying_ = true;
    bool written = true;
    while (!actions_.empty()) {
        const Action action = std::move(actions_.front());
        actions_.pop_front();
        written = act_(action) && written;
    }
    carrying_ = false;
    return written;
}

void StepDelivery::deliver() {
    if (delivering_) return;
    delivering_ = true;
    while (!events_.empty()) {
        const ConversationEvent event = std::move(events_.front());
        events_.pop_front();
        deliver_(event);
    }
    delivering_ = false;
}

}  // namespace kav::link
