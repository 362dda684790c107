#include "link/logger_link.h"

namespace kav::link {

namespace {
// The steps of a wait that cannot return to the event loop.
constexpr int kCloseWaitMs = 2;
}  // namespace

LoggerLink::LoggerLink(Transport& transport, LinkTimings timings, QObject* parent)
    : LoggerLink(transport, nullptr, timings, parent) {}

LoggerLink::LoggerLink(Transport& transport, LinkClock& clock, LinkTimings timings, QObject* parent)
    : LoggerLink(transport, &clock, timings, parent) {}

LoggerLink::LoggerLink(Transport& transport, LinkClock* clock, LinkTimings timings, QObject* parent)
    : QObject(parent),
      transport_(transport),
      core_(timings),
      ownClock_(clock ? nullptr : std::make_unique<SteadyClock>()),
      clock_(clock ? clock : ownClock_.get()),
      steps_([this](const Action& a) { return carryOut(a); },
             [this](const ConversationEvent& e) { emitEvent(e); }) {
    QObject::connect(clock_, &LinkClock::woke, this, [this] { apply(core_.wake(now())); });
    QObject::connect(&transport_, &Transport::bytesReceived, this,
                     [this](const QByteArray& bytes) { apply(core_.received(now(), bytes)); });
    QObject::connect(&transport_, &Transport::portLost, this,
                     [this](const QString& reason) { apply(core_.portLost(now(), reason)); });
    QObject::connect(&transport_, &Transport::closed, this,
                     [this] { apply(core_.portClosed(now())); });
}

OpenResult LoggerLink::connectLogger(const QString& portName, RunGoal goal) {
    closeNow();
    const OpenResult result = transport_.open(portName);
    if (result == OpenResult::Ok) {
        startHandshake(goal);
    } else {
        // A start whose port does not open still has its one end.
        RunEnd end{EndKind::Failed, std::nullopt, false, 0, 0, true};
        emit runEnded(end);
    }
    return result;
}

OpenResult LoggerLink::openPort(const QString& portName) {
    closeNow();
    return transport_.open(portName);
}

void LoggerLink::startHandshake(RunGoal goal) {
    firmware_.clear();
    hardware_.clear();
    apply(core_.start(now(), goal));
}

void LoggerLink::disconnectLogger() {
    apply(core_.close(now(), true));
}

void LoggerLink::closePort() {
    if (transport_.isOpen()) apply(core_.close(now(), false));
}

// The logger's answer to the request back to 115200 is waited for a bounded time on the port
// alone (the event loop is not run: this may be a destructor), so the request is not lost with
// a port closed under it; then the port closes.
void LoggerLink::closeNow() {
    if (!transport_.isOpen()) return;
    if (core_.lineRate() != kBaseBaud || core_.step() == Step::LineRate)
        apply(core_.close(now(), false));
    const Millis giveUpAt = now() + 3 * timings().replyTimeoutMs;
    while (transport_.isOpen() && core_.step() == Step::Closing && now() < giveUpAt) {
        if (!transport_.waitForBytes(kCloseWaitMs)) clock_->pass(kCloseWaitMs);
        if (const std::optional<Millis> at = core_.wakeAt(); at && now() >= *at)
            apply(core_.wake(now()));
    }
    if (transport_.isOpen()) apply(core_.closeNow(now()));
}

void LoggerLink::stopDownload() {
    apply(core_.stop(now()));
}

bool LoggerLink::issue(const Request& request) {
    return apply(core_.command(now(), request));
}

bool LoggerLink::GetSoftware() {
    return issue({msg::GetSoftware});
}
bool LoggerLink::StartStopOutput(uint8_t onOff) {
    return issue({msg::StartStopOutput, onOff});
}
bool LoggerLink::GetUserData() {
    return issue({msg::GetUserData});
}
bool LoggerLink::GetStatus() {
    return issue({msg::GetStatus});
}
bool LoggerLink::DataQuery(uint16_t blockStart, uint16_t blockEnd) {
    return issue({msg::DataQuery, 0, blockStart, blockEnd});
}
bool LoggerLink::SetLogCriteria(const std::array<uint16_t, 7>& data) {
    return issue({msg::SetLogCriteria, 0, 0, 1, data});
}
bool LoggerLink::clearMemory() {
    return issue({msg::ClearMemory});
}
bool LoggerLink::SetUpdateRate(uint8_t rate) {
    return issue({msg::SetRate, rate});
}
bool LoggerLink::SetRate(uint8_t rate) {
    return SetUpdateRate(rate);
}
bool LoggerLink::GetRate() {
    return issue({msg::GetRate});
}
bool LoggerLink::GetDatum() {
    return issue({msg::GetDatum});
}
bool LoggerLink::GetNavMode() {
    return issue({msg::GetNavMode});
}
// The frame carries the single byte 0x63; the serial number itself is not placed in it.
bool LoggerLink::SetUserData(QByteArrayView) {
    return issue({msg::SetUserData});
}

// The whole step is carried out before any handler runs; a handler's call back into the link
// is a new input whose events join the queue.
bool LoggerLink::apply(const Actions& actions) {
    bool written = steps_.carryOut(actions);
    if (!written) steps_.carryOut(core_.writeFailed(now()));
    schedule();
    steps_.deliver();
    return actions.accepted && written;
}

bool LoggerLink::carryOut(const Action& action) {
    switch (action.kind) {
        case Action::Kind::Write:
            return transport_.write(action.bytes);
        case Action::Kind::SetRate:
            transport_.setBaudRate(action.baud);
            return true;
        case Action::Kind::ClosePort:
            transport_.close();
            return true;
        case Action::Kind::Emit:
            return true;
    }
    return true;
}

void LoggerLink::schedule() {
    const std::optional<Millis> at = core_.wakeAt();
    if (!at) return clock_->cancel();
    clock_->wakeAt(*at);
}

void LoggerLink::emitEvent(const ConversationEvent& e) {
    using Kind = ConversationEvent::Kind;
    switch (e.kind) {
        case Kind::Version:
            firmware_ = e.version.firmware;
            hardware_ = e.version.hardware;
            return emit versionReceived(firmware_, hardware_, e.version.label);
        case Kind::SerialNumber:
            return emit serialNumberReceived(e.text);
        case Kind::Status:
            return emit logStatusReceived(e.status);
        case Kind::DownloadStarted:
            return emit downloadStarted(e.count);
        case Kind::Sector:
            return emit sectorReceived(e.sector, e.data);
        case Kind::Progress:
            return emit downloadProgress(e.sector, e.count);
        case Kind::Notice:
            return emit message(e.text);
        case Kind::Note:
            return emit note(e.text);
        case Kind::ConfigurationSent:
            return emit configurationSent(e.accepted);
        case Kind::ConfigurationAnswered:
            return emit configurationAnswered(e.text);
        case Kind::MemoryCleared:
            return emit memoryCleared();
        case Kind::MemoLine:
            return emit memoLine(e.text);
        case Kind::LineRate:
            return emit lineRateChanged(e.baud, e.text);
        case Kind::RateFound:
            return emit loggerFoundAt(e.baud);
        case Kind::Failed:
            return emit failed(e.failure);
        case Kind::PortLost:
            return emit portLost(e.text);
        case Kind::Idle:
            return emit idle();
        case Kind::End:
            emitDownloadEnd(e.end);
            return emit runEnded(e.end);
        case Kind::DownloadEnded:
            emitDownloadEnd(e.end);
            return emit downloadEnded(e.end);
    }
}

void LoggerLink::emitDownloadEnd(const RunEnd& end) {
    if (end.downloading && end.kind == EndKind::Complete) emit downloadFinished();
    if (end.downloading && end.kind == EndKind::Stopped) emit downloadStopped(end.sectorsRead);
}

}  // namespace kav::link
