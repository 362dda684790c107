#pragma once
// Time as the link sees it: the time now, one wake-up at a time, and a short wait during which
// events are still delivered. The programs run on the steady clock; tests can run the link on
// a clock of their own that they move forward.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "link/conversation_events.h"

namespace kav::link {

class LinkClock : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    virtual Millis now() const = 0;
    // woke() follows at `at` (at once when it is past); an earlier request is replaced.
    virtual void wakeAt(Millis at) = 0;
    virtual void cancel() = 0;
    // Lets about ms go by without returning to the event loop (a test's clock runs what is due
    // meanwhile).
    virtual void pass(Millis ms) = 0;

  signals:
    void woke();
};

// The monotonic clock since construction, and a single-shot timer for the wake-up.
class SteadyClock final : public LinkClock {
    Q_OBJECT
  public:
    explicit SteadyClock(QObject* parent = nullptr);

    Millis now() const override { return elapsed_.elapsed(); }
    void wakeAt(Millis at) override;
    void cancel() override { timer_.stop(); }
    void pass(Millis ms) override;

  private:
    QElapsedTimer elapsed_;
    QTimer timer_;
};

}  // namespace kav::link
