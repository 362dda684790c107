#include "logger_link.h"

#include <utility>

namespace kav::link {

namespace {
constexpr int32_t kMaskOnlyUserData = 0x1FFF;
constexpr int32_t kMaskOnlyClear = 0x3EFF;
constexpr int32_t kMaskOnlySetUserData = 0x37FF;
const QString kSuccessfullySet = QStringLiteral("Successfully set : ");
const QString kUnsuccessfullySet = QStringLiteral("Unsucessefully set");

QString hexId(uint8_t id) {
    return QStringLiteral("0x") + QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
}
}  // namespace

int wireTimeMs(int count, int baud) {
    return (count * 10 * 1000 + baud - 1) / baud;
}

LoggerLink::LoggerLink(Transport& transport, LinkTimings timings, QObject* parent)
    : QObject(parent),
      transport_(transport),
      timings_(timings),
      commands_([this](QByteArrayView frame) { return transport_.write(frame); }) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, this, &LoggerLink::onTimeout);
    settleTimer_.setSingleShot(true);
    QObject::connect(&settleTimer_, &QTimer::timeout, this, [this] {
        if (auto next = std::exchange(nextStep_, nullptr)) next();
    });
    QObject::connect(&transport_, &Transport::bytesReceived, this, &LoggerLink::onBytes);
    QObject::connect(&transport_, &Transport::portLost, this, &LoggerLink::onPortLost);
    QObject::connect(&transport_, &Transport::closed, this, [this] {
        pending_.reset();
        timer_.stop();
        resetReception();
    });
}

OpenResult LoggerLink::connectLogger(const QString& portName) {
    if (transport_.isOpen()) transport_.close();
    const OpenResult result = transport_.open(portName);
    if (result == OpenResult::Ok) startHandshake();
    return result;
}

void LoggerLink::startHandshake() {
    pending_.reset();
    timer_.stop();
    resetReception();
    commands_.setFlagACK(kMaskIdle);
    commands_.setACKByte(0);
    commands_.setPortRemoved(false);
    initAck_ = true;
    GetSoftware();
}

void LoggerLink::disconnectLogger() {
    pending_.reset();
    timer_.stop();
    resetReception();
    commands_.StartStopOutput(1);  // its answer is not awaited
    transport_.close();
}

// Commands. Those that expect an answer are tracked, so a missing answer is asked for again.
bool LoggerLink::GetSoftware() {
    firmware_.clear();
    hardware_.clear();
    return track(msg::GetSoftware, [this] { return commands_.GetSoftware(); });
}
bool LoggerLink::StartStopOutput(uint8_t onOff) {
    return track(msg::StartStopOutput, [this, onOff] { return commands_.StartStopOutput(onOff); });
}
bool LoggerLink::GetUserData() {
    return track(msg::GetUserData, [this] { return commands_.GetUserData(); });
}
bool LoggerLink::GetStatus() {
    return track(msg::GetStatus, [this] { return commands_.GetStatus(); });
}
bool LoggerLink::DataQuery(uint16_t blockStart, uint16_t blockEnd) {
    return track(msg::DataQuery, [this, blockStart, blockEnd] {
        return commands_.DataQuery(blockStart, blockEnd);
    });
}
bool LoggerLink::SetLogCriteria(const std::array<uint16_t, 7>& data) {
    return track(msg::SetLogCriteria, [this, data] { return commands_.SetLogCriteria(data); });
}
bool LoggerLink::clearMemory() {
    return track(msg::ClearMemory, [this] { return commands_.clearMemory(); });
}
bool LoggerLink::SetUpdateRate(uint8_t rate) {
    return track(msg::SetRate, [this, rate] { return commands_.SetUpdateRate(rate); });
}
bool LoggerLink::SetRate(uint8_t rate) {
    return SetUpdateRate(rate);
}
bool LoggerLink::GetRate() {
    return track(msg::GetRate, [this] { return commands_.GetRate(); });
}
bool LoggerLink::GetDatum() {
    return track(msg::GetDatum, [this] { return commands_.GetDatum(); });
}
bool LoggerLink::GetNavMode() {
    return track(msg::GetNavMode, [this] { return commands_.GetNavMode(); });
}
bool LoggerLink::SetUserData(QByteArrayView serialNo) {
    const QByteArray copy = serialNo.toByteArray();
    return track(msg::SetUserData, [this, copy] { return commands_.SetUserData(copy); });
}

bool LoggerLink::track(uint8_t id, std::function<bool()> issue) {
    if (!issue()) {
        // A refused command gives its bit back, so it cannot stall the exchange in progress.
        commands_.restoreBit(*bitForId(id));
        return false;
    }
    pending_ = Pending{id, std::move(issue), Awaiting::Ack, 1};
    awaitNext(Awaiting::Ack);
    return true;
}

void LoggerLink::awaitNext(Awaiting stage) {
    pending_->stage = stage;
    int bound = timings_.replyTimeoutMs;
    if (stage == Awaiting::RawBlock) bound = timings_.rawBlockTimeoutMs;
    if (stage == Awaiting::Ack && pending_->id == msg::ClearMemory) bound = timings_.clearTimeoutMs;
    timer_.start(bound);
}

void LoggerLink::onTimeout() {
    retryOrGiveUp(QStringLiteral("no answer"));
}

// Time-outs and protocol errors are retried a few times; refusals and a lost port are not.
void LoggerLink::retryOrGiveUp(const QString& failure) {
    if (!pending_) return;
    const int limit = pending_->id == msg::DataQuery ? kMaxSectorAttempts : kMaxCommandAttempts;
    if (pending_->attempts >= limit) {
        giveUp(describe(*pending_, failure));
        return;
    }
    ++pending_->attempts;
    resetReception();
    commands_.restoreBit(*bitForId(pending_->id));
    if (!pending_->issue()) {
        giveUp(describe(*pending_, QStringLiteral("the command could not be sent")));
        return;
    }
    awaitNext(Awaiting::Ack);
}

QString LoggerLink::describe(const Pending& pending, const QString& failure) const {
    if (pending.id == msg::DataQuery)
        return QStringLiteral(
                   "Sector %1 could not be read (%2) after %3 attempts. "
                   "The sectors read so far are kept.")
            .arg(currentSector_)
            .arg(failure)
            .arg(pending.attempts);
    return QStringLiteral("The logger did not answer command %1 (%2) after %3 attempts.")
        .arg(hexId(pending.id), failure)
        .arg(pending.attempts);
}

void LoggerLink::giveUp(const QString& text) {
    pending_.reset();
    timer_.stop();
    resetReception();
    commands_.setFlagACK(kMaskIdle);
    emit linkFailed(text);
}

void LoggerLink::resetReception() {
    settleTimer_.stop();
    nextStep_ = nullptr;
    receiver_.reset();
    received_.clear();
    rawKind_ = 0;
}

void LoggerLink::onPortLost(const QString& reason) {
    pending_.reset();
    timer_.stop();
    resetReception();
    commands_.setFlagACK(kMaskIdle);
    emit portLost(reason);
}

void LoggerLink::onBytes(const QByteArray& bytes) {
    received_.append(bytes);
    if (dispatching_) return;  // a handler wrote and the answer came back at once
    dispatching_ = true;
    for (;;) {
        const ReceiverEvent event = receiver_.next(received_);
        if (event.kind == ReceiverEvent::Kind::NeedMore) break;
        received_.remove(0, qsizetype(event.consumed));
        dispatch(event);
    }
    dispatching_ = false;
}

void LoggerLink::dispatch(const ReceiverEvent& event) {
    switch (event.kind) {
        case ReceiverEvent::Kind::Frame:
            handleFrame(event.frame);
            break;
        case ReceiverEvent::Kind::RawBlock:
            handleRawBlock(event.block);
            break;
        case ReceiverEvent::Kind::BadFrame:
            emit message(noStartStopMessage(event.bytes));
            break;
        case ReceiverEvent::Kind::BadTrailer:
            rawKind_ = 0;
            if (pending_ && pending_->stage == Awaiting::RawBlock)
                retryOrGiveUp(QStringLiteral("bad trailer"));
            break;
        case ReceiverEvent::Kind::NeedMore:
        case ReceiverEvent::Kind::Skipped:
            break;
    }
}

// A frame whose checksum fails is not acted on; the time-out asks again for what it carried.
void LoggerLink::handleFrame(const Frame& frame) {
    if (!frame.checksumOk()) return;
    const uint8_t first = frame.body.isEmpty() ? 0 : static_cast<uint8_t>(frame.body[0]);
    switch (frame.id) {
        case msg::Version:
            return handleVersion(frame.body);
        case msg::Ack:
            if (frame.body.isEmpty()) return;
            if (first == msg::SetUserData && commands_.FlagACK() == kMaskOnlySetUserData) {
                QString line = QStringLiteral("User data sent OK ");
                for (char c : frame.body) line += QString::number(uint8_t(c));
                emit memoLine(line);
            }
            return handleAck(first);
        case msg::Nack:
            return handleNack(first);
        case msg::LogStatus:
            return handleLogStatus(frame.body);
        case msg::Ignored86:
        case msg::IgnoredB5:
            return;
        default:
            emit message(transmissionFailureMessage(frame.id));
    }
}

void LoggerLink::handleVersion(const QByteArray& body) {
    const std::optional<VersionInfo> info = parseVersion(body);
    if (!info) return;
    firmware_ = info->firmware;
    hardware_ = info->hardware;
    emit versionReceived(firmware_, hardware_, info->label);
}

void LoggerLink::handleAck(uint8_t id) {
    commands_.setACKByte(id);
    const bool awaited = pending_ && pending_->id == id && pending_->stage == Awaiting::Ack;
    const int32_t mask = commands_.FlagACK();
    bool rawFollows = false;
    if (id == msg::GetUserData) {
        // Only the user-data request may be outstanding, otherwise the block is not taken.
        if (mask != kMaskOnlyUserData) return;
        rawFollows = true;
    }
    if (id == msg::DataQuery) rawFollows = true;
    // An answer sets its bit whatever its state, so a duplicate answer cannot clear it again.
    if (const std::optional<int32_t> bit = bitForId(id)) commands_.restoreBit(*bit);
    if (rawFollows) {
        receiver_.expectRawBlock(kSectorSize);
        rawKind_ = id;
    }
    if (awaited) {
        if (rawFollows)
            awaitNext(Awaiting::RawBlock);
        else if (id == msg::GetStatus)
            awaitNext(Awaiting::Status);
        else
            settle();
    }
    // A late duplicate answer while another request is in progress continues nothing.
    if (pending_ && !awaited) return;
    switch (id) {
        case msg::GetSoftware:
            StartStopOutput(0);
            break;
        case msg::StartStopOutput:
            if (initAck_) {
                initAck_ = false;
                GetUserData();
            }
            break;
        case msg::SetLogCriteria:
            answerConfiguration(kSuccessfullySet, true);
            break;
        case msg::ClearMemory:
            if (mask == kMaskOnlyClear) emit memoryCleared();
            break;
        default:
            break;
    }
}

void LoggerLink::handleNack(uint8_t id) {
    commands_.setACKByte(id);
    if (pending_ && pending_->id == id) settle();
    if (id != 0) {
        if (const std::optional<int32_t> bit = bitForId(id))
            commands_.restoreBit(*bit);
        else
            commands_.setFlagACK(kMaskIdle);
        if (id == msg::SetLogCriteria) answerConfiguration(kUnsuccessfullySet, false);
    }
    emit message(nackMessage(id));
}

void LoggerLink::answerConfiguration(const QString& flagConfig, bool accepted) {
    flagConfig_ = flagConfig;
    emit configurationSent(accepted);
    GetStatus();
}

void LoggerLink::handleLogStatus(const QByteArray& body) {
    const std::optional<LogStatus> status = parseLogStatus(body);
    if (!status) {
        if (pending_ && pending_->id == msg::GetStatus)
            retryOrGiveUp(QStringLiteral("short status"));
        return;
    }
    const bool awaited = pending_ && pending_->id == msg::GetStatus;
    // A late duplicate of an earlier status must not restart a download in progress.
    if (pending_ && !awaited) return;
    // The status itself proves the request arrived, even if its acknowledgement was lost.
    if (awaited) commands_.restoreBit(*bitForId(msg::GetStatus));
    const bool retried = awaited && settle();
    emit logStatusReceived(*status);
    if (!flagConfig_.isEmpty()) {
        emit configurationAnswered(configurationReport(flagConfig_, *status));
        flagConfig_.clear();
    }
    sectorsToDownload_ = status->SectorsToDownload;
    currentSector_ = 0;
    if (downloadAfterStatus_) continueWith(retried, [this] { DataQuery(0, 1); });
}

// A raw block is taken only with a matching checksum; a bad one is asked for again.
void LoggerLink::handleRawBlock(const RawBlock& block) {
    const uint8_t kind = rawKind_;
    rawKind_ = 0;
    // Only the block of the request in progress is taken: a late answer to an earlier try
    // of the same request is dropped.
    const bool awaited = pending_ && pending_->id == kind && pending_->stage == Awaiting::RawBlock;
    if (!awaited) return;
    if (!block.checksumOk()) {
        retryOrGiveUp(QStringLiteral("checksum error"));
        return;
    }
    const bool retried = settle();
    if (kind == msg::DataQuery)
        handleSector(block, retried);
    else
        handleUserData(block, retried);
}

void LoggerLink::handleSector(const RawBlock& block, bool retried) {
    const int sector = currentSector_++;
    emit sectorReceived(sector, block.data);
    emit downloadProgress(sector, sectorsToDownload_);
    if (currentSector_ > sectorsToDownload_)
        emit downloadFinished();
    else
        continueWith(retried, [this] { DataQuery(uint16_t(currentSector_), 1); });
}

void LoggerLink::handleUserData(const RawBlock& block, bool retried) {
    emit serialNumberReceived(serialNumberFromUserData(block.data));
    continueWith(retried, [this] { GetStatus(); });
}

bool LoggerLink::settle() {
    const bool retried = pending_ && pending_->attempts > 1;
    pending_.reset();
    timer_.stop();
    return retried;
}

// After a request that was made more than once, late answers to the earlier tries may still
// be on their way: the next request waits until they have had time to arrive and be dropped.
void LoggerLink::continueWith(bool afterRetry, std::function<void()> next) {
    if (!afterRetry) return next();
    nextStep_ = std::move(next);
    settleTimer_.start(timings_.settleMs);
}

}  // namespace kav::link
