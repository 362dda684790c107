#pragma once
// What the system tells of a serial device that will not open: checked before opening (no such
// device, a file or folder given as a port) and after the serial port refused it (no
// permission, another program holding it, a lock file left behind). Best effort: where the
// system cannot tell, the kind stays general. port_access_posix.cpp and port_access_win.cpp are
// the two sides.

#include <QString>
#include <QStringList>

#include "link/transport.h"

namespace kav::link {

struct PortProblem {
    OpenResult kind = OpenResult::Ok;
    QString detail;  // as OpenResult describes it
};

// The folders serial-port lock files (LCK..<name>) are kept in.
QStringList lockFolders();

// Ok when device may be handed to the serial port; otherwise why not.
PortProblem checkBeforeOpen(const QString& device);

// Why the serial port refused device with a permission or busy error, looking for its lock file
// in lockDirs.
PortProblem diagnoseRefusal(const QString& device, const QStringList& lockDirs = lockFolders());

// True when the system shows the device is no longer there (false where it cannot tell).
bool deviceRemoved(const QString& device);

}  // namespace kav::link
