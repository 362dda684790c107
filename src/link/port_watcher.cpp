#include "port_watcher.h"

#include <utility>

#include "link/port_identity.h"
#include "link/port_list.h"

namespace kav::link {

PortWatcher::PortWatcher(Lister lister, int intervalMs, QObject* parent, Identifier identifier)
    : QObject(parent),
      lister_(lister ? std::move(lister) : Lister(&availablePorts)),
      identifier_(identifier ? std::move(identifier) : Identifier(&portIdentity)) {
    timer_.setInterval(intervalMs);
    QObject::connect(&timer_, &QTimer::timeout, this, &PortWatcher::poll);
}

PortWatcher::Snapshot PortWatcher::snapshot() const {
    Snapshot ports{lister_(), {}};
    for (const QString& name : ports.names) ports.identities.insert(name, identifier_(name));
    return ports;
}

void PortWatcher::start() {
    known_ = snapshot();
    timer_.start();
}

void PortWatcher::stop() {
    timer_.stop();
}

void PortWatcher::poll() {
    const Snapshot now = snapshot();
    const Snapshot before = std::exchange(known_, now);
    for (const QString& name : before.names)
        if (!now.holds(name, before.identities.value(name))) emit portRemoved(name);
    for (const QString& name : now.names)
        if (!before.holds(name, now.identities.value(name))) emit portArrived(name);
}

}  // namespace kav::link
