#pragma once
// What makes a port present now a different device from one seen before under the same name:
// a logger unplugged and another plugged in within one poll keeps the name (ttyUSB0) but not
// the identity.

#include <QString>

namespace kav::link {

// A text that changes whenever the device behind the port name is replaced: on Linux the USB
// device's bus and device numbers (new at every plug-in) and serial, the device node's own
// identity, and for an announced emulator port the link and its target; empty when the port
// is not present. On Windows, the port's USB location and serial number.
QString portIdentity(const QString& name);

}  // namespace kav::link
