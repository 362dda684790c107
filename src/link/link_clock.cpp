#include "link/link_clock.h"

#include <algorithm>

#include <QThread>

namespace kav::link {

SteadyClock::SteadyClock(QObject* parent) : LinkClock(parent) {
    elapsed_.start();
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &LinkClock::woke);
}

void SteadyClock::wakeAt(Millis at) {
    timer_.start(int(std::max<Millis>(0, at - now())));
}

void SteadyClock::pass(Millis ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

}  // namespace kav::link
