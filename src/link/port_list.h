#pragma once
// The serial ports present, in the order the port chooser shows them.

#include <QString>
#include <QStringList>

namespace kav::link {

// Names of the ports present (operating-system names such as ttyUSB0, ttyACM0, COM7, and the
// emulator's announced ports such as ttySIM0), sorted so that the last one is the "highest":
// built-in ports first, then announced emulator ports, then USB ports, each in natural order.
QStringList availablePorts();

// Whether the port belongs to a device plugged in (a USB serial bridge or an announced emulator)
// rather than one built into the computer: a station serves those it finds at start.
bool isPluggedPort(const QString& name);

// Sorts port names in the chooser's order (see availablePorts).
QStringList sortPortNames(QStringList names);

// The fixed names offered when automatic detection is off:
// "COM3" .. "COM63" on Windows, "ttyUSB0" .. "ttyUSB60" elsewhere (61 names).
QStringList fixedPortNames();

// What to hand to the serial port for a chooser name: the announced link's path for an
// emulator port, the name itself otherwise.
QString portLocation(const QString& name);

}  // namespace kav::link
