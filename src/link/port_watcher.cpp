#include "port_watcher.h"

#include <utility>

#include "link/port_list.h"

namespace kav::link {

PortWatcher::PortWatcher(Lister lister, int intervalMs, QObject* parent)
    : QObject(parent), lister_(lister ? std::move(lister) : Lister(&availablePorts)) {
    timer_.setInterval(intervalMs);
    QObject::connect(&timer_, &QTimer::timeout, this, &PortWatcher::poll);
}

void PortWatcher::start() {
    known_ = lister_();
    timer_.start();
}

void PortWatcher::stop() {
    timer_.stop();
}

void PortWatcher::poll() {
    const QStringList now = lister_();
    const QStringList before = std::exchange(known_, now);
    for (const QString& name : before)
        if (!now.contains(name)) emit portRemoved(name);
    for (const QString& name : now)
        if (!before.contains(name)) emit portArrived(name);
}

}  // namespace kav::link
