#pragma once
// A logger answering over FakeTransport: the emulator's protocol core takes each frame the
// window's link writes, and its answers wait until the test lets them through, one at a time,
// so a test can act at any point of a download. The port must go first (the window owning it
// is destroyed before this).

#include <deque>
#include <functional>
#include <optional>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include "common/fake_transport.h"
#include "sim/logger_core.h"

namespace kav::app::testing {

class AnsweringLogger {
  public:
    explicit AnsweringLogger(link::FakeTransport& port) : port_(port) {
        port_.setOnWrite([this](const QByteArray& frame) { heard(frame); });
        // Answers owed on a closed port are lost with it.
        QObject::connect(&port_, &link::Transport::closed, [this] { owed_.clear(); });
    }

    // A logger holding image (whole sectors, sector 0 first) with the emulator's fault
    // switches is plugged in; nothing is owed yet.
    bool plugIn(const QByteArray& image, const QStringList& faults = {}) {
        auto memory = sim::LoggerMemory::fromImage(image);
        auto faultSet = sim::FaultSet::parse(faults);
        if (!memory || !faultSet) return false;
        core_.emplace(std::move(*memory), std::move(*faultSet), sim::LoggerSettings{});
        owed_.clear();
        return true;
    }

    // Lets answers through, the window acting on each, until done() holds; false when it
    // still does not after timeoutMs.
    bool answerUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
        const QDeadlineTimer deadline(timeoutMs);
        while (!done()) {
            if (deadline.hasExpired()) return false;
            if (owed_.empty())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            else
                deliverOne();
            QCoreApplication::processEvents();
        }
        return true;
    }

    // From now on answers go through whenever the event loop runs, e.g. while the window
    // being destroyed puts the logger back at 115200.
    void answerFreely() {
        free_ = true;
        deliverLater();
    }

  private:
    void heard(const QByteArray& frame) {
        if (!core_) return;
        for (sim::Transmission& t : core_->feed(frame).out) owed_.push_back(std::move(t));
        if (free_) deliverLater();
    }

    void deliverLater() {
        QTimer::singleShot(0, &port_, [this] {
            while (!owed_.empty()) deliverOne();
        });
    }

    void deliverOne() {
        const sim::Transmission t = std::move(owed_.front());
        owed_.pop_front();
        port_.inject(t.bytes, 512);
        if (t.vanish) port_.losePort();
    }

    link::FakeTransport& port_;
    std::optional<sim::LoggerCore> core_;
    std::deque<sim::Transmission> owed_;
    bool free_ = false;
};

}  // namespace kav::app::testing
