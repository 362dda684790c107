// The line rate of the conversation: asking the logger for a faster one, confirming it, finding
// the way back when the logger does not follow, and always ending at 115200.
#include <utility>

#include <QEventLoop>

#include "link/logger_link.h"

namespace kav::link {

// Line rate. 0x05 is acknowledged at the old rate, then the logger switches: the host follows
// once the acknowledgement is in.
void LoggerLink::requestRate(int baud, std::function<void(RateAnswer)> done) {
    rateDone_ = std::move(done);
    const uint8_t index = *baudIndex(baud);
    if (!begin(Step::LineRate, msg::SerialConfig,
               [this, index] { return commands_.SerialConfig(index); }))
        finishRate(RateAnswer::None);
}

void LoggerLink::finishRate(RateAnswer answer) {
    if (auto done = std::exchange(rateDone_, nullptr)) done(answer);
}

// A status request at the rate now set: does the logger answer?
void LoggerLink::probe(std::function<void(bool)> done) {
    probeDone_ = std::move(done);
    if (!begin(Step::Probe, msg::GetStatus, [this] { return commands_.GetStatus(); }))
        finishProbe(false);
}

void LoggerLink::finishProbe(bool answered) {
    if (auto done = std::exchange(probeDone_, nullptr)) done(answered);
}

void LoggerLink::useRate(int baud) {
    transport_.setBaudRate(baud);
    lineRate_ = baud;
}

void LoggerLink::switchRate(std::function<void()> then) {
    if (wantedRate_ == lineRate_ || !baudIndex(wantedRate_) || singleSectors_) return then();
    rateThen_ = std::move(then);
    const int old = lineRate_, target = wantedRate_;
    requestRate(target, [this, old, target](RateAnswer answer) {
        if (answer == RateAnswer::Refused)
            return rateFallback(QStringLiteral("the logger refused %1 baud").arg(target));
        if (answer == RateAnswer::None) return recoverRate(old, target);
        useRate(target);
        probe([this, old, target](bool answered) {
            if (!answered) return recoverRate(old, target);
            emit lineRateChanged(target, {});
            if (auto next = std::exchange(rateThen_, nullptr)) next();
        });
    });
}

// The logger did not answer at the new rate: it may have stayed at the old one, or switched
// without answering. The old rate is tried first; then the logger is asked back from the new.
void LoggerLink::recoverRate(int old, int tried) {
    useRate(old);
    probe([this, old, tried](bool answered) {
        if (answered) return rateFallback(QStringLiteral("no answer at %1 baud").arg(tried));
        useRate(tried);
        requestRate(old, [this, old, tried](RateAnswer) {
            useRate(old);
            probe([this, tried](bool back) {
                if (back) return rateFallback(QStringLiteral("no answer at %1 baud").arg(tried));
                rateThen_ = nullptr;
                emit failed(LinkFailure{FailureKind::LineRate, msg::SerialConfig, -1, 0,
                                        QString::number(tried)});
            });
        });
    });
}

// The download goes on at the old rate, one sector a request.
void LoggerLink::rateFallback(const QString& why) {
    singleSectors_ = true;
    emit note(QStringLiteral("line rate: ") + why);
    emit lineRateChanged(lineRate_, why);
    if (auto next = std::exchange(rateThen_, nullptr)) next();
}

void LoggerLink::restoreRate(std::function<void()> then) {
    if (lineRate_ == kBaseBaud || !transport_.isOpen()) {
        if (then) then();
        return;
    }
    requestRate(kBaseBaud, [this, then](RateAnswer) {
        useRate(kBaseBaud);
        emit lineRateChanged(kBaseBaud, {});
        if (then) then();
    });
}

// Before the port closes while the line is faster: the conversation is dropped, the logger is
// asked back to 115200 and its acknowledgement awaited a moment, events still dispatched.
void LoggerLink::restoreRateNow() {
    if (lineRate_ == kBaseBaud || !transport_.isOpen()) return;
    abandon();
    commands_.setFlagACK(kMaskIdle);
    QEventLoop loop;
    bool answered = false;
    const bool outerDispatch = std::exchange(dispatching_, false);
    requestRate(kBaseBaud, [&](RateAnswer) {
        answered = true;
        loop.quit();
    });
    QTimer::singleShot(3 * timings_.replyTimeoutMs, &loop, &QEventLoop::quit);
    if (!answered && busy()) loop.exec();
    dispatching_ = outerDispatch;
    abandon();
    if (transport_.isOpen()) useRate(kBaseBaud);
}

}  // namespace kav::link
