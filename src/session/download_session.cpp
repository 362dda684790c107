#include "session/download_session.h"

#include <span>

#include <utility>

#include <QFile>

namespace kav::session {

using kav::link::LoggerLink;

namespace {

constexpr qsizetype kSector = qsizetype(kav::link::kSectorSize);

// The whole sectors at the start of a raw log file.
QByteArray readSectors(const QString& path, qint64 sectors) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(sectors * kSector);
}

// The kind of a link message: its words before " : " ("NACK", "No Start/Stop", ...).
QString noticeKind(const QString& text) {
    const qsizetype colon = text.indexOf(QStringLiteral(" : "));
    return colon < 0 ? text : text.left(colon);
}

kav::link::RunGoal runGoal(DownloadSession::Goal goal) {
    switch (goal) {
        case DownloadSession::Goal::Identify:
            return kav::link::RunGoal::Identify;
        case DownloadSession::Goal::ReadMemory:
            return kav::link::RunGoal::ReadMemory;
        case DownloadSession::Goal::Command:
            return kav::link::RunGoal::Command;
    }
    return kav::link::RunGoal::ReadMemory;
}

}  // namespace

QString cutReason(const Outcome& outcome) {
    if (!outcome.cut()) return {};
    if (outcome.stopped) return QStringLiteral("The download was stopped.");
    if (outcome.failure) return kav::link::failureText(*outcome.failure);
    QString text = QStringLiteral("The file holds %1 of the %2 sectors the logger had to send.")
                       .arg(outcome.sectorsRead)
                       .arg(outcome.sectorsExpected);
    if (!outcome.missing.isEmpty())
        text += QStringLiteral(" Missing: %1.").arg(sectorListText(outcome.missing));
    if (!outcome.linkError.isEmpty())
        text += QStringLiteral(" An error of the link: %1.").arg(outcome.linkError);
    return text;
}

QString foundAtText(int baud) {
    return QStringLiteral("logger found at %1 baud, put back at 115200").arg(baud);
}

DownloadSession::DownloadSession(kav::link::Transport& transport, kav::link::LinkTimings timings,
                                 QObject* parent)
    : QObject(parent), transport_(transport), link_(transport, timings) {
    connectLink();
    setTransferSpeed(speed_);
}

// Nothing is reported any more but the run's end: the front end is being taken down too.
DownloadSession::~DownloadSession() {
    blockSignals(true);
    closeNow();
    blockSignals(false);
    if (ended_) reportEnd();
}

void DownloadSession::connectLink() {
    connect(&link_, &LoggerLink::versionReceived, this,
            [this](const QString& firmware, const QString& hardware, const QString& label) {
                identity_.firmware = firmware;
                identity_.hardware = hardware;
                identity_.versionLabel = label;
                emit versionReceived(hardware, label);
            });
    connect(&link_, &LoggerLink::serialNumberReceived, this, [this](const QString& serial) {
        identity_.serialNumber = serial;
        emit serialNumberReceived(serial);
    });
    connect(&link_, &LoggerLink::logStatusReceived, this, &DownloadSession::onStatus);
    connect(&link_, &LoggerLink::downloadStarted, this, &DownloadSession::onDownloadStarted);
    connect(&link_, &LoggerLink::sectorReceived, this, &DownloadSession::onSector);
    connect(&link_, &LoggerLink::downloadProgress, this,
            [this] { emit progressChanged(progress()); });
    connect(&link_, &LoggerLink::downloadFinished, this,
            [this] { finishDownload(kav::link::EndKind::Complete, std::nullopt); });
    connect(&link_, &LoggerLink::downloadStopped, this,
            [this] { finishDownload(kav::link::EndKind::Stopped, std::nullopt); });
    connect(&link_, &LoggerLink::failed, this, [this](const kav::link::LinkFailure& failure) {
        emit failed(failure);
        endClear(ClearReport::Result::Failed, kav::link::failureText(failure));
    });
    connect(&link_, &LoggerLink::portLost, this, [this](const QString& reason) {
        whenFree_ = nullptr;
        emit portLost(reason);
        endClear(ClearReport::Result::Failed, reason);
    });
    connect(&link_, &LoggerLink::runEnded, this, &DownloadSession::onRunEnded);
    // A download after new criteria belongs to the run already ended: only its outcome.
    connect(&link_, &LoggerLink::downloadEnded, this, [this](const kav::link::RunEnd& end) {
        finishDownload(end.kind, end.failure);
        reportRepeats();
    });
    connect(&link_, &LoggerLink::message, this, &DownloadSession::onNotice);
    connect(&link_, &LoggerLink::configurationSent, this, [this](bool accepted) {
        report_.criteriaAccepted = accepted;
        emit configurationSent(accepted);
    });
    connect(&link_, &LoggerLink::configurationAnswered, this,
            &DownloadSession::configurationAnswered);
    connect(&link_, &LoggerLink::memoryCleared, this, &DownloadSession::onMemoryCleared);
    connect(&link_, &LoggerLink::memoLine, this, &DownloadSession::memoLine);
    connect(&link_, &LoggerLink::idle, this, &DownloadSession::runWhenFree);
    connect(&link_, &LoggerLink::lineRateChanged, this, &DownloadSession::lineRateChanged);
    connect(&link_, &LoggerLink::loggerFoundAt, this, &DownloadSession::loggerFoundAt);
}

kav::link::OpenResult DownloadSession::start(const QString& port, Goal goal) {
    whenFree_ = nullptr;
    clearStep_ = ClearStep::None;
    goal_ = goal;
    clearLog();  // before the port closes, so the abandoned download is not reported as cut
    identity_ = LoggerIdentity{};
    identity_.port = port;
    repeats_.clear();
    link_.closeNow();  // the run abandoned ends before this one begins
    report_ = RunReport{};
    opening_ = true;
    const kav::link::OpenResult result = link_.connectLogger(port, runGoal(goal));
    opening_ = false;
    report_.opened = result;
    if (ended_) reportEnd();
    return result;
}

void DownloadSession::stop() {
    if (downloading()) link_.stopDownload();
}

void DownloadSession::whenFree(std::function<void()> action) {
    whenFree_ = std::move(action);
    // A download about to start (the handshake under way) does not start.
    if (link_.busy() && !downloading()) link_.setDownloadAfterStatus(false);
    stop();
    runWhenFree();
}

void DownloadSession::runWhenFree() {
    if (!whenFree_ || link_.busy() || downloading()) return;
    const std::function<void()> action = std::move(whenFree_);
    whenFree_ = nullptr;
    action();
}

void DownloadSession::disconnect() {
    whenFree_ = nullptr;
    if (transport_.isOpen()) link_.disconnectLogger();
}

void DownloadSession::closePort() {
    whenFree_ = nullptr;
    link_.closePort();
}

void DownloadSession::closeNow() {
    whenFree_ = nullptr;
    link_.closeNow();
}

void DownloadSession::setPortRemoved(bool removed) {
    link_.setPortRemoved(removed);
}

void DownloadSession::setTransferSpeed(TransferSpeed speed) {
    speed_ = speed;
    const TransferSettings settings = transferSettings(speed);
    link_.setLineRate(settings.baud);
    link_.setSectorsPerRequest(settings.sectorsPerRequest);
}

void DownloadSession::setTrace(kav::link::ByteTrace* trace) {
    QObject::disconnect(traceNotes_);
    transport_.setTrace(trace ? trace->recorder() : kav::link::Transport::Trace{});
    if (trace)
        traceNotes_ = connect(&link_, &LoggerLink::note, this,
                              [trace](const QString& text) { trace->note(text); });
}

bool DownloadSession::sendCriteria(const std::array<uint16_t, 7>& data) {
    if (downloading()) return false;
    repeats_.clear();
    return link_.SetLogCriteria(data);
}

bool DownloadSession::clearMemory() {
    if (downloading()) return false;
    repeats_.clear();
    return link_.clearMemory();
}

std::optional<SavedMemory> DownloadSession::savedMemory() const {
    if (!outcome_.complete() || !identity_.hasStatus) return std::nullopt;
    return SavedMemory{identity_.serialNumber, identity_.status.SectorsToDownload};
}

bool DownloadSession::clearIfSame(const SavedMemory& expected) {
    if (downloading() || link_.busy()) return false;
    repeats_.clear();
    clearFor_ = expected;
    clearStep_ = ClearStep::Asking;
    // The user data is followed by the status on the same connection.
    if (link_.GetUserData()) return true;
    clearStep_ = ClearStep::None;
    return false;
}

void DownloadSession::onClearStatus(const kav::link::LogStatus& status) {
    const int used = status.SectorsToDownload;
    if (clearStep_ == ClearStep::Confirming) {
        if (used == 0) return endClear(ClearReport::Result::Cleared);
        return endClear(
            ClearReport::Result::NotConfirmed,
            QStringLiteral("the logger still reports %1 sectors used after the clear").arg(used));
    }
    if (clearStep_ != ClearStep::Asking) return;
    if (identity_.serialNumber != clearFor_.serialNumber || used != clearFor_.sectorsUsed)
        return endClear(ClearReport::Result::OtherLogger,
                        QStringLiteral("the logger on the port (%1, %2 sectors used) is not the "
                                       "one saved (%3, %4 sectors used)")
                            .arg(identity_.serialNumber)
                            .arg(used)
                            .arg(clearFor_.serialNumber)
                            .arg(clearFor_.sectorsUsed));
    clearStep_ = ClearStep::Clearing;
    if (!link_.clearMemory())
        endClear(ClearReport::Result::Failed, QStringLiteral("the clear could not be sent"));
}

void DownloadSession::onMemoryCleared() {
    clearLog();
    report_.memoryCleared = true;
    emit memoryCleared();
    if (clearStep_ != ClearStep::Clearing) return;
    clearStep_ = ClearStep::Confirming;
    if (!link_.GetStatus())
        endClear(ClearReport::Result::NotConfirmed,
                 QStringLiteral("the status could not be asked for after the clear"));
}

void DownloadSession::endClear(ClearReport::Result result, const QString& why) {
    if (std::exchange(clearStep_, ClearStep::None) == ClearStep::None) return;
    report_.clear = ClearReport{result, why};
    emit clearEnded(*report_.clear);
}

void DownloadSession::onStatus(const kav::link::LogStatus& status) {
    const bool first = !identity_.hasStatus;
    identity_.status = status;
    identity_.hasStatus = true;
    emit statusReceived(status);
    if (clearStep_ != ClearStep::None) return onClearStatus(status);
    if (!first) return;
    report_.identified = true;
    emit ready();
    if (goal_ == Goal::Identify) disconnect();
}

// Every download starts from sector 0 with an empty log (a reconnect or new criteria too).
void DownloadSession::onDownloadStarted(int count) {
    log_.clear();
    memory_.clear();
    sectors_.reset(count);
    outcome_ = Outcome{Outcome::State::Running, 0, count, std::nullopt, false, {}, {}};
    clock_.start();
    emit downloadStarted(count);
    emit progressChanged(progress());
}

// Sectors are kept by number; the unbroken run from sector 0 is decoded as it grows.
void DownloadSession::onSector(int sector, const QByteArray& data) {
    if (!downloading()) return;  // no download is running: none of its sectors
    sectors_.add(sector, data);
    QByteArray next;
    while (sectors_.takeNext(&next)) storeSector(sectors_.taken() - 1, next);
}

void DownloadSession::storeSector(int sector, const QByteArray& data) {
    memory_.append(data);
    log_.SavePacket(
        std::span(reinterpret_cast<const uint8_t*>(data.constData()), std::size_t(data.size())));
    outcome_.sectorsRead = sectorsRead();
    emit sectorStored(sector);
}

// Complete only when proven whole: every sector held once, in order; otherwise cut with why
// and the sectors missing.
void DownloadSession::finishDownload(kav::link::EndKind kind,
                                     const std::optional<kav::link::LinkFailure>& failure) {
    if (!downloading()) return;
    const bool complete = kind == kav::link::EndKind::Complete && sectors_.whole();
    outcome_.state = complete ? Outcome::State::Complete : Outcome::State::Cut;
    outcome_.failure = kind == kav::link::EndKind::Failed ? failure : std::nullopt;
    outcome_.stopped = !complete && kind != kav::link::EndKind::Complete && !outcome_.failure;
    outcome_.missing = sectors_.missing();
    outcome_.linkError = sectors_.error();
    report_.outcome = outcome_;
    emit downloadEnded(outcome_);
}

// The end of every run: the download's outcome, the repeated notices counted, the run's end
// (once start() knows whether the port opened, or once the session is past its destruction).
void DownloadSession::onRunEnded(const kav::link::RunEnd& end) {
    finishDownload(end.kind, end.failure);
    reportRepeats();
    report_.end = end;
    ended_ = true;
    if (!opening_ && !signalsBlocked()) reportEnd();
}

void DownloadSession::reportEnd() {
    ended_ = false;
    const RunReport report = std::exchange(report_, RunReport{});
    emit runEnded(report);
}

// Each kind of notice is shown once; the others are counted.
void DownloadSession::onNotice(const QString& text) {
    const QString kind = noticeKind(text);
    if (repeats_.contains(kind)) {
        ++repeats_[kind];
        return;
    }
    repeats_.insert(kind, 0);
    emit notice(text);
}

void DownloadSession::reportRepeats() {
    const QMap<QString, int> repeats = std::exchange(repeats_, {});
    for (auto it = repeats.cbegin(); it != repeats.cend(); ++it)
        if (it.value() > 0) {
            report_.noticesNotShown << QStringLiteral("%1 more \"%2\" messages not shown")
                                           .arg(it.value())
                                           .arg(it.key());
            emit noticesNotShown(report_.noticesNotShown.last());
        }
}

kav::log::RawLogResult DownloadSession::openRawLog(const QString& path) {
    kav::log::LogCollection loaded;
    kav::log::RawLogResult result = kav::log::loadRawLog(path, loaded);
    if (!result.ok()) return result;
    log_ = std::move(loaded);
    memory_ = readSectors(path, result.sectors);
    identity_ = LoggerIdentity{};
    identity_.serialNumber = result.identity.serialNumber;
    identity_.firmware = result.identity.firmware;
    identity_.hardware = result.identity.hardware;
    const int read = sectorsRead();
    const int expected = std::max(read, result.identity.sectorsExpected);
    outcome_ = Outcome{expected > read ? Outcome::State::Cut : Outcome::State::Complete,
                       read,
                       expected,
                       std::nullopt,
                       false,
                       {},
                       {}};
    return result;
}

kav::log::RawLogIdentity DownloadSession::rawLogIdentity() const {
    return {identity_.serialNumber, identity_.firmware, identity_.hardware,
            outcome_.sectorsExpected};
}

void DownloadSession::clearLog() {
    log_.clear();
    memory_.clear();
    sectors_.reset(0);
    outcome_ = Outcome{};
}

bool DownloadSession::trackIncomplete(std::size_t track) const {
    const bool open = outcome_.state == Outcome::State::Running || outcome_.cut();
    return open && track + 1 == log_.tracks().size();
}

int DownloadSession::sectorsRead() const {
    return int(memory_.size() / kSector);
}

Progress DownloadSession::progress() const {
    Progress p{sectorsRead(), outcome_.sectorsExpected, -1};
    if (downloading() && p.sectorsRead > 0 && clock_.isValid())
        p.msLeft = clock_.elapsed() * (p.sectorsToRead - p.sectorsRead) / p.sectorsRead;
    return p;
}

}  // namespace kav::session
