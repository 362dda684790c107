#include "logger_link.h"

#include <utility>

namespace kav::link {

namespace {
constexpr int32_t kMaskOnlySetUserData = 0x37FF;
// A line that never falls quiet (a logger streaming text) ends the settling after this many
// quiet periods.
constexpr int kSettleCap = 4;
// Answers owed when their number is unknown: the settling ends only when the line is quiet.
constexpr int kUntilQuiet = 1 << 20;
const QString kSuccessfullySet = QStringLiteral("Successfully set : ");
const QString kUnsuccessfullySet = QStringLiteral("Unsucessefully set");

QString hexId(uint8_t id) {
    return QStringLiteral("0x") + QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
}

const char* stepName(LoggerLink::Step step) {
    switch (step) {
        case LoggerLink::Step::Idle:
            return "idle";
        case LoggerLink::Step::Version:
            return "asking for the version";
        case LoggerLink::Step::OutputStop:
            return "stopping the output";
        case LoggerLink::Step::UserData:
            return "reading the user data";
        case LoggerLink::Step::Status:
            return "asking for the log status";
        case LoggerLink::Step::Sectors:
            return "reading sectors";
        case LoggerLink::Step::Criteria:
            return "sending the log criteria";
        case LoggerLink::Step::Clear:
            return "clearing the memory";
        case LoggerLink::Step::LineRate:
            return "changing the line rate";
        case LoggerLink::Step::Probe:
            return "checking the line rate";
        case LoggerLink::Step::Other:
            return "waiting for an answer";
        case LoggerLink::Step::Settling:
            return "settling";
    }
    return "";
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
    QObject::connect(&settleTimer_, &QTimer::timeout, this, &LoggerLink::endSettle);
    QObject::connect(&transport_, &Transport::bytesReceived, this, &LoggerLink::onBytes);
    QObject::connect(&transport_, &Transport::portLost, this, &LoggerLink::onPortLost);
    // A port opens at 115200: a closed one forgets any other rate.
    QObject::connect(&transport_, &Transport::closed, this, [this] {
        abandon();
        lineRate_ = kBaseBaud;
    });
}

OpenResult LoggerLink::connectLogger(const QString& portName) {
    closePort();
    const OpenResult result = transport_.open(portName);
    if (result == OpenResult::Ok) startHandshake();
    return result;
}

void LoggerLink::startHandshake() {
    abandon();
    commands_.setFlagACK(kMaskIdle);
    commands_.setACKByte(0);
    commands_.setPortRemoved(false);
    initAck_ = true;
    singleSectors_ = false;
    lineRate_ = transport_.baudRate();
    GetSoftware();
}

void LoggerLink::disconnectLogger() {
    restoreRateNow();
    if (!busy()) commands_.StartStopOutput(1);  // its answer is not awaited
    abandon();
    transport_.close();
}

void LoggerLink::closePort() {
    if (!transport_.isOpen()) return;
    restoreRateNow();
    abandon();
    transport_.close();
}

void LoggerLink::stopDownload() {
    if (downloading_) stopRequested_ = true;
}

// Forgets the conversation: nothing in progress, nothing owed, nothing half read.
void LoggerLink::abandon() {
    ++generation_;
    exchange_.reset();
    settle_.reset();
    timer_.stop();
    settleTimer_.stop();
    resetReception();
    downloading_ = false;
    stopRequested_ = false;
    step_ = Step::Idle;
    rateDone_ = nullptr;
    probeDone_ = nullptr;
    rateThen_ = nullptr;
}

void LoggerLink::resetReception() {
    receiver_.reset();
    received_.clear();
    rawOwned_ = false;
}

// Commands. Each is one exchange; the send function is kept so a missing answer can be asked
// for again.
bool LoggerLink::GetSoftware() {
    return begin(Step::Version, msg::GetSoftware, [this] {
        firmware_.clear();
        hardware_.clear();
        return commands_.GetSoftware();
    });
}
bool LoggerLink::StartStopOutput(uint8_t onOff) {
    return begin(Step::OutputStop, msg::StartStopOutput,
                 [this, onOff] { return commands_.StartStopOutput(onOff); });
}
bool LoggerLink::GetUserData() {
    return begin(Step::UserData, msg::GetUserData, [this] { return commands_.GetUserData(); });
}
bool LoggerLink::GetStatus() {
    return begin(Step::Status, msg::GetStatus, [this] { return commands_.GetStatus(); });
}
bool LoggerLink::DataQuery(uint16_t blockStart, uint16_t blockEnd) {
    return begin(Step::Sectors, msg::DataQuery,
                 [this, blockStart, blockEnd] { return commands_.DataQuery(blockStart, blockEnd); },
                 {blockStart, blockEnd < 1 ? 1 : int(blockEnd)});
}
bool LoggerLink::SetLogCriteria(const std::array<uint16_t, 7>& data) {
    return begin(Step::Criteria, msg::SetLogCriteria,
                 [this, data] { return commands_.SetLogCriteria(data); });
}
bool LoggerLink::clearMemory() {
    return begin(Step::Clear, msg::ClearMemory, [this] { return commands_.clearMemory(); });
}
bool LoggerLink::SetUpdateRate(uint8_t rate) {
    return begin(Step::Other, msg::SetRate, [this, rate] { return commands_.SetUpdateRate(rate); });
}
bool LoggerLink::SetRate(uint8_t rate) {
    return SetUpdateRate(rate);
}
bool LoggerLink::GetRate() {
    return begin(Step::Other, msg::GetRate, [this] { return commands_.GetRate(); });
}
bool LoggerLink::GetDatum() {
    return begin(Step::Other, msg::GetDatum, [this] { return commands_.GetDatum(); });
}
bool LoggerLink::GetNavMode() {
    return begin(Step::Other, msg::GetNavMode, [this] { return commands_.GetNavMode(); });
}
bool LoggerLink::SetUserData(QByteArrayView serialNo) {
    const QByteArray copy = serialNo.toByteArray();
    return begin(Step::Other, msg::SetUserData,
                 [this, copy] { return commands_.SetUserData(copy); });
}

// Starts an exchange. A command while another exchange is in progress is refused silently, as
// is one the mask rule, a removed port or the port itself refuses (its bit is given back).
bool LoggerLink::begin(Step step, uint8_t id, std::function<bool()> send,
                       SectorPlan::Request sectors) {
    if (busy()) return false;
    // The exchange exists before the frame leaves, so an answer that comes back at once fits it.
    exchange_ = Exchange{step, id, std::move(send), Phase::Answer, 1, 0, sectors};
    step_ = step;
    if (!exchange_->send()) {
        commands_.restoreBit(*bitForId(id));
        exchange_.reset();
        step_ = Step::Idle;
        return false;
    }
    arm();
    return true;
}

int LoggerLink::payloadTimeoutMs(int sectors) const {
    return timings_.rawBlockTimeoutMs + 3 * wireTimeMs((sectors - 1) * int(kSectorSize));
}

void LoggerLink::arm() {
    const Exchange& x = *exchange_;
    int bound = timings_.replyTimeoutMs;
    if (x.phase == Phase::Answer && x.step == Step::Clear) bound = timings_.clearTimeoutMs;
    if (x.phase == Phase::Payload && x.step == Step::UserData) bound = payloadTimeoutMs(1);
    if (x.phase == Phase::Payload && x.step == Step::Sectors)
        bound = payloadTimeoutMs(x.sectors.count);
    // A logger that answers late gets longer each time it is asked again: 1, 1.5, 2 times.
    timer_.start(bound + bound * (x.attempts - 1) / 2);
}

void LoggerLink::onTimeout() {
    retryOrFail(FailureKind::NoAnswer);
}

// Time-outs and protocol errors are asked again a few times; refusals and a lost port are not.
// A block of several sectors is asked for twice, then sector by sector.
void LoggerLink::retryOrFail(FailureKind kind) {
    if (!exchange_) return;
    Exchange& x = *exchange_;
    const bool block = x.step == Step::Sectors && x.sectors.count > 1 && downloading_;
    const bool rate = x.step == Step::LineRate || x.step == Step::Probe;
    const int limit = block || rate             ? 2
                      : x.step == Step::Sectors ? kMaxSectorAttempts
                                                : kMaxCommandAttempts;
    if (x.attempts >= limit) {
        if (rate) return giveUpQuietly(x.step);
        if (!block) return fail(kind);
        plan_.splitBlock();
        emit note(QStringLiteral("sectors %1 to %2 are read one at a time")
                      .arg(x.sectors.first)
                      .arg(x.sectors.first + x.sectors.count - 1));
        const Exchange done = dropExchange();
        return settle(done.id, done.attempts - done.answers, [this] { requestNextSectors(); });
    }
    ++x.attempts;
    emit note(QStringLiteral("%1 asked for again (attempt %2)").arg(hexId(x.id)).arg(x.attempts));
    resetReception();
    commands_.restoreBit(*bitForId(x.id));
    x.phase = Phase::Answer;
    if (kind == FailureKind::NoAnswer) return resend();
    // A garbled answer may have company still on its way: the line falls quiet first.
    const Exchange held = *exchange_;
    exchange_.reset();
    timer_.stop();
    settle(held.id, kUntilQuiet, [this, held] {
        exchange_ = held;
        step_ = held.step;
        resend();
    });
}

void LoggerLink::resend() {
    if (!exchange_->send()) return fail(FailureKind::SendFailed);
    arm();
}

// Gives up on the exchange in progress: the mask is released, the answers it may still get are
// let through, and what was read is kept.
void LoggerLink::fail(FailureKind kind, const QString& detail) {
    if (!exchange_) return;
    const Exchange x = dropExchange();
    downloading_ = false;
    stopRequested_ = false;
    const int sector = x.step == Step::Sectors ? x.sectors.first : -1;
    step_ = Step::Settling;
    const int generation = generation_;
    emit failed(LinkFailure{kind, x.id, sector, x.attempts, detail});
    if (generation == generation_)
        settle(x.id, x.attempts - x.answers, [this] { restoreRate({}); });
}

// A rate change or check that got no answer is not a failure: the rate is worked out anew.
void LoggerLink::giveUpQuietly(Step step) {
    const Exchange x = dropExchange();
    settle(x.id, x.attempts - x.answers, [this, step] {
        if (step == Step::LineRate)
            finishRate(RateAnswer::None);
        else
            finishProbe(false);
    });
}

// Takes the exchange in progress out without its answer: its bit is released, so the next
// request is not held back by the mask rule.
LoggerLink::Exchange LoggerLink::dropExchange() {
    const Exchange x = *exchange_;
    exchange_.reset();
    timer_.stop();
    resetReception();
    commands_.setFlagACK(kMaskIdle);
    return x;
}

// The exchange got its answer. After a request made more than once, the answers to the other
// tries are let through before anything else is asked.
void LoggerLink::complete(std::function<void()> next) {
    const Exchange x = *exchange_;
    exchange_.reset();
    timer_.stop();
    if (x.attempts > 1) return settle(x.id, x.attempts - x.answers, std::move(next));
    step_ = Step::Idle;
    const int generation = generation_;
    if (next) next();
    if (generation == generation_ && step_ == Step::Idle) emit idle();
}

void LoggerLink::settle(uint8_t id, int owed, std::function<void()> then) {
    step_ = Step::Settling;
    settle_ = Settle{id, owed < 0 ? 0 : owed, std::move(then)};
    settleClock_.start();
    settleTimer_.start(timings_.settleMs);
    settleIfDone();
}

// Every answer owed has come, and a block announced by the last of them has been read.
void LoggerLink::settleIfDone() {
    if (settle_ && settle_->owed <= 0 && !receiver_.expectingRawBlock()) endSettle();
}

void LoggerLink::endSettle() {
    if (!settle_) return;
    settleTimer_.stop();
    std::function<void()> then = std::move(settle_->then);
    settle_.reset();
    step_ = Step::Idle;
    const int generation = generation_;
    if (then) then();
    if (generation == generation_ && step_ == Step::Idle) emit idle();
}

void LoggerLink::onPortLost(const QString& reason) {
    const bool inProgress = exchange_.has_value();
    const Exchange x = inProgress ? *exchange_ : Exchange{};
    abandon();
    commands_.setFlagACK(kMaskIdle);
    if (inProgress) {
        const int sector = x.step == Step::Sectors ? x.sectors.first : -1;
        emit failed(LinkFailure{FailureKind::PortLost, x.id, sector, x.attempts, reason});
    }
    emit portLost(reason);
}

void LoggerLink::onBytes(const QByteArray& bytes) {
    received_.append(bytes);
    // While settling, the line must fall quiet (up to a bound, for a line that never does).
    if (settle_ && settleClock_.elapsed() < qint64(kSettleCap) * timings_.settleMs)
        settleTimer_.start(timings_.settleMs);
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
            return onFrame(event.frame);
        case ReceiverEvent::Kind::RawBlock:
            return onRawBlock(event.block);
        case ReceiverEvent::Kind::BadFrame:
            emit message(noStartStopMessage(event.bytes));
            return;
        case ReceiverEvent::Kind::BadTrailer:
            return onBadTrailer();
        case ReceiverEvent::Kind::NeedMore:
        case ReceiverEvent::Kind::Skipped:
            return;
    }
}

void LoggerLink::drop(const QString& what) {
    emit note(QStringLiteral("dropped %1 (%2)").arg(what, QLatin1String(stepName(step_))));
}

bool LoggerLink::awaits(uint8_t id, Phase phase) const {
    return exchange_ && exchange_->id == id && exchange_->phase == phase;
}

// A frame whose checksum fails is not acted on; the time-out asks again for what it carried.
void LoggerLink::onFrame(const Frame& frame) {
    if (!frame.checksumOk())
        return drop(QStringLiteral("frame %1 with a bad checksum").arg(hexId(frame.id)));
    const uint8_t first = frame.body.isEmpty() ? 0 : static_cast<uint8_t>(frame.body[0]);
    switch (frame.id) {
        case msg::Version:
            return onVersion(frame.body);
        case msg::Ack:
            if (frame.body.isEmpty()) return drop(QStringLiteral("an empty acknowledgement"));
            if (first == msg::SetUserData && commands_.FlagACK() == kMaskOnlySetUserData) {
                QString line = QStringLiteral("User data sent OK ");
                for (char c : frame.body) line += QString::number(uint8_t(c));
                emit memoLine(line);
            }
            return onAnswer(first, true);
        case msg::Nack:
            return onAnswer(first, false);
        case msg::LogStatus:
            return onLogStatus(frame.body);
        case msg::Ignored86:
        case msg::IgnoredB5:
            return;
        default:
            emit message(transmissionFailureMessage(frame.id));
    }
}

// An acknowledgement or refusal: acted on only when it answers the request in progress.
void LoggerLink::onAnswer(uint8_t id, bool accepted) {
    commands_.setACKByte(id);
    if (awaits(id, Phase::Answer)) {
        ++exchange_->answers;
        commands_.restoreBit(*bitForId(id));
        return accepted ? onAcknowledged() : onRefused();
    }
    if (exchange_ && exchange_->id == id) ++exchange_->answers;
    if (settle_ && settle_->id == id) --settle_->owed;
    // The block that follows an acknowledgement of a read is read by its length and dropped.
    if (accepted && (id == msg::DataQuery || id == msg::GetUserData)) {
        receiver_.expectRawBlock(lastRawSize_[id == msg::DataQuery ? 1 : 0]);
        rawOwned_ = false;
    }
    drop(QStringLiteral("%1 of %2")
             .arg(accepted ? QStringLiteral("acknowledgement") : QStringLiteral("refusal"),
                  hexId(id)));
    settleIfDone();
}

void LoggerLink::onAcknowledged() {
    Exchange& x = *exchange_;
    switch (x.step) {
        case Step::Version:
        case Step::Status:
        case Step::Probe:
            x.phase = Phase::Payload;
            return arm();
        case Step::UserData:
            return expectPayload(kSectorSize);
        case Step::Sectors:
            return expectPayload(std::size_t(x.sectors.count) * kSectorSize);
        case Step::OutputStop:
            return complete([this] {
                if (!initAck_) return;
                initAck_ = false;
                GetUserData();
            });
        case Step::Criteria:
            return complete([this] { answerConfiguration(kSuccessfullySet, true); });
        case Step::Clear:
            return complete([this] { emit memoryCleared(); });
        case Step::LineRate:
            return complete([this] { finishRate(RateAnswer::Acknowledged); });
        default:
            return complete({});
    }
}

// A refusal of the log criteria is reported with the next status; any other refusal ends the
// exchange (and a download) at once.
void LoggerLink::onRefused() {
    if (exchange_->step == Step::LineRate)
        return complete([this] { finishRate(RateAnswer::Refused); });
    if (exchange_->step != Step::Criteria) return fail(FailureKind::Refused);
    complete([this] {
        answerConfiguration(kUnsuccessfullySet, false);
        emit message(nackMessage(msg::SetLogCriteria));
    });
}

void LoggerLink::expectPayload(std::size_t rawBytes) {
    Exchange& x = *exchange_;
    receiver_.expectRawBlock(rawBytes);
    rawOwned_ = true;
    lastRawSize_[x.step == Step::Sectors ? 1 : 0] = rawBytes;
    x.phase = Phase::Payload;
    arm();
}

// The version answers GetSoftware even when its acknowledgement was lost; a version that does
// not arrive whole is asked for again, so the names in every file are the logger's own.
void LoggerLink::onVersion(const QByteArray& body) {
    if (!inStep(Step::Version)) return drop(QStringLiteral("version message"));
    const std::optional<VersionInfo> info = parseVersion(body);
    if (!info) return retryOrFail(FailureKind::ShortReply);
    if (exchange_->phase == Phase::Answer) commands_.restoreBit(*bitForId(msg::GetSoftware));
    firmware_ = info->firmware;
    hardware_ = info->hardware;
    emit versionReceived(firmware_, hardware_, info->label);
    if (!inStep(Step::Version)) return;  // a handler started over
    complete([this] { StartStopOutput(0); });
}

void LoggerLink::onLogStatus(const QByteArray& body) {
    if (!inStep(Step::Status) && !inStep(Step::Probe)) return drop(QStringLiteral("log status"));
    const std::optional<LogStatus> status = parseLogStatus(body);
    if (!status) return retryOrFail(FailureKind::ShortReply);
    // The status itself proves the request arrived, even if its acknowledgement was lost.
    if (exchange_->phase == Phase::Answer) commands_.restoreBit(*bitForId(msg::GetStatus));
    if (inStep(Step::Probe)) return complete([this] { finishProbe(true); });
    const LogStatus s = *status;
    complete([this, s] { afterStatus(s); });
}

// A raw block is taken only as the answer to the request in progress, with a matching
// checksum; a bad one is asked for again.
void LoggerLink::onRawBlock(const RawBlock& block) {
    const bool owned = std::exchange(rawOwned_, false);
    if (!owned || !exchange_ || exchange_->phase != Phase::Payload) {
        drop(QStringLiteral("data block"));
        return settleIfDone();
    }
    if (!block.checksumOk()) return retryOrFail(FailureKind::BadChecksum);
    if (exchange_->step == Step::UserData) {
        emit serialNumberReceived(serialNumberFromUserData(block.data));
        if (!inStep(Step::UserData)) return;  // a handler started over
        return complete([this] { GetStatus(); });
    }
    onSectorBlock(block.data);
}

void LoggerLink::onBadTrailer() {
    const bool owned = std::exchange(rawOwned_, false);
    if (owned && exchange_ && exchange_->phase == Phase::Payload)
        return retryOrFail(FailureKind::BadTrailer);
    drop(QStringLiteral("data block with a bad trailer"));
    settleIfDone();
}

void LoggerLink::afterStatus(const LogStatus& status) {
    const int generation = generation_;
    emit logStatusReceived(status);
    if (!flagConfig_.isEmpty()) {
        emit configurationAnswered(configurationReport(flagConfig_, status));
        flagConfig_.clear();
    }
    if (generation != generation_) return;  // a handler started over
    sectorsToDownload_ = status.SectorsToDownload;
    if (downloadAfterStatus_) switchRate([this, status] { startDownload(status); });
}

void LoggerLink::startDownload(const LogStatus& status) {
    plan_ = SectorPlan(sectorsToRead(status), singleSectors_ ? 1 : sectorsPerRequest_);
    downloading_ = true;
    stopRequested_ = false;
    lastBlock_.clear();
    repeatReread_ = false;
    emit downloadStarted(plan_.total());
    requestNextSectors();
}

void LoggerLink::requestNextSectors() {
    if (!downloading_) return;
    // Nothing left to read: the download is whole, even when a stop was asked for meanwhile.
    const std::optional<SectorPlan::Request> r = plan_.next();
    if (!r) return endDownload([this] { emit downloadFinished(); });
    if (stopRequested_) {
        stopRequested_ = false;
        const int read = plan_.read();
        return endDownload([this, read] { emit downloadStopped(read); });
    }
    const auto send = [this, r] {
        return commands_.DataQuery(uint16_t(r->first), uint16_t(r->count));
    };
    if (begin(Step::Sectors, msg::DataQuery, send, *r)) return;
    downloading_ = false;
    emit failed(LinkFailure{FailureKind::SendFailed, msg::DataQuery, r->first, 1, {}});
}

// A block identical to the one kept before it is taken for a repeated answer to the previous
// request (no two sectors of a log are alike): it is dropped, the line is let fall quiet, and
// the block is asked for again; what a request on a quiet line brings is believed.
void LoggerLink::onSectorBlock(const QByteArray& data) {
    const Exchange x = *exchange_;
    if (downloading_ && !repeatReread_ && data == lastBlock_) {
        repeatReread_ = true;
        emit note(QStringLiteral("sector %1 came back equal to the one before: asked for again")
                      .arg(x.sectors.first));
        exchange_.reset();
        timer_.stop();
        return settle(x.id, kUntilQuiet, [this] { requestNextSectors(); });
    }
    repeatReread_ = false;
    lastBlock_ = data;
    const int generation = generation_;
    for (int i = 0; i < x.sectors.count; ++i)
        emit sectorReceived(x.sectors.first + i, data.mid(qsizetype(i) * qsizetype(kSectorSize),
                                                          qsizetype(kSectorSize)));
    if (generation != generation_) return;  // a handler started over
    if (downloading_) {
        plan_.received(x.sectors.count);
        emit downloadProgress(plan_.read(), plan_.total());
    }
    complete([this] { requestNextSectors(); });
}

void LoggerLink::answerConfiguration(const QString& flagConfig, bool accepted) {
    flagConfig_ = flagConfig;
    emit configurationSent(accepted);
    GetStatus();
}

// The download's end is reported once the line is back at 115200.
void LoggerLink::endDownload(std::function<void()> report) {
    downloading_ = false;
    restoreRate(std::move(report));
}

}  // namespace kav::link
