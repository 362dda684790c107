#include "paced_sender.h"

#include <algorithm>

namespace kav::sim {
namespace {

constexpr int kTickMs = 5;

// Bytes a late tick may catch up on: two ticks' worth, at least 128.
double maxBurst(const UartLine& line) {
    return std::max(128.0, line.bytesPerSecond() * 2 * kTickMs / 1000.0);
}

}  // namespace

PacedSender::PacedSender(UartLine& line, bool fast, QObject* parent)
    : QObject(parent), line_(line), fast_(fast) {
    tick_.setTimerType(Qt::PreciseTimer);
    tick_.setInterval(kTickMs);
    connect(&tick_, &QTimer::timeout, this, &PacedSender::pump);
    clock_.start();
}

void PacedSender::enqueue(Transmission transmission) {
    if (queue_.empty()) {
        lastNs_ = clock_.nsecsElapsed();
        credit_ = std::min(credit_, maxBurst(line_));
    }
    queue_.push_back(std::move(transmission));
    pump();
}

void PacedSender::clear() {
    queue_.clear();
    sentOfHead_ = 0;
    headHeld_ = false;
    tick_.stop();
    if (writable_) {  // may be inside the notifier's own signal
        writable_->setEnabled(false);
        writable_.release()->deleteLater();
    }
}

void PacedSender::pump() {
    if (writable_ && writable_->isEnabled()) return;  // waiting for room in the terminal
    refillCredit();
    while (!queue_.empty()) {
        if (holdingHead()) return;
        Transmission& head = queue_.front();
        if (head.vanish) {
            clear();
            emit vanishDue();
            return;
        }
        const qsizetype left = head.bytes.size() - sentOfHead_;
        const qsizetype allowed = fast_ ? left : std::min<qsizetype>(left, qsizetype(credit_));
        if (allowed == 0 && left > 0) {
            if (!tick_.isActive()) tick_.start();
            return;
        }
        const qsizetype n =
            left == 0 ? 0 : line_.write(QByteArrayView(head.bytes).sliced(sentOfHead_, allowed));
        if (n < 0) {
            clear();
            emit writeFailed();
            return;
        }
        if (n == 0 && left > 0) return waitWritable();
        credit_ -= double(n);
        sentOfHead_ += n;
        if (sentOfHead_ == head.bytes.size()) finishHead();
    }
    tick_.stop();
}

// The rate changes only once the last byte of the answer that announced it is out.
void PacedSender::finishHead() {
    const int rate = queue_.front().lineRate;
    queue_.pop_front();
    sentOfHead_ = 0;
    headHeld_ = false;
    if (rate > 0) line_.switchTo(rate);
}

// A held-back answer waits its time once it reaches the head of the queue.
bool PacedSender::holdingHead() {
    const Transmission& head = queue_.front();
    if (head.delayMs <= 0 || sentOfHead_ > 0) return false;
    if (!headHeld_) {
        headHeld_ = true;
        holdClock_.start();
    }
    if (holdClock_.elapsed() >= head.delayMs) {
        queue_.front().delayMs = 0;
        return false;
    }
    if (!tick_.isActive()) tick_.start();
    return true;
}

void PacedSender::refillCredit() {
    const qint64 now = clock_.nsecsElapsed();
    credit_ =
        std::min(maxBurst(line_), credit_ + double(now - lastNs_) * 1e-9 * line_.bytesPerSecond());
    lastNs_ = now;
}

void PacedSender::waitWritable() {
    tick_.stop();
    if (!writable_) {
        writable_ = std::make_unique<QSocketNotifier>(line_.fd(), QSocketNotifier::Write);
        connect(writable_.get(), &QSocketNotifier::activated, this, [this] {
            writable_->setEnabled(false);
            pump();
        });
    }
    writable_->setEnabled(true);
}

}  // namespace kav::sim
