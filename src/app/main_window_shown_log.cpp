// The log on screen across a new connection: kept until the logger answers and its download
// starts, so pressing Connect on a port with no logger leaves the table as it was.
#include "app/shown_log.h"
#include "browse/track_table.h"

namespace kav::app {

// A download abandoned for the new connection ends on screen as a stopped one.
void TKAVSkyTraqV6::holdShownLog() {
    session::Outcome outcome = session_->outcome();
    const bool abandoned = session_->downloading();
    if (abandoned) {
        outcome.state = session::Outcome::State::Cut;
        outcome.stopped = true;
    }
    if (!held_ && !session_->memory().isEmpty()) {
        held_ = std::make_unique<ShownLog>(ShownLog{std::move(session_->log()), session_->memory(),
                                                    outcome, session_->identity()});
        TraceGridGT730->moveCollection(&held_->log);
    }
    // Emptied before the port closes, so the abandoned download is not taken for a lost port.
    session_->clearLog();
    if (abandoned) onDownloadEnded(outcome);
}

void TKAVSkyTraqV6::releaseShownLog() {
    if (!held_) return;
    TraceGridGT730->setCollection(&session_->log());
    held_.reset();
}

const log::LogCollection& TKAVSkyTraqV6::collection() const {
    return held_ ? held_->log : session_->log();
}

const session::Outcome& TKAVSkyTraqV6::shownOutcome() const {
    return held_ ? held_->outcome : session_->outcome();
}

const session::LoggerIdentity& TKAVSkyTraqV6::shownIdentity() const {
    return held_ ? held_->identity : session_->identity();
}

const QByteArray& TKAVSkyTraqV6::shownMemory() const {
    return held_ ? held_->memory : session_->memory();
}

// A track whose end was not read: the last one while its download runs or after it was cut.
bool TKAVSkyTraqV6::trackIncomplete(int track) const {
    const session::Outcome& outcome = shownOutcome();
    const bool open = outcome.state == session::Outcome::State::Running || outcome.cut();
    return open && track + 1 == int(collection().tracks().size());
}

}  // namespace kav::app
