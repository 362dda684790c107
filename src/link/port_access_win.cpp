// Windows side: the system names its ports (COM7) and reports a missing one itself; a port that
// another program holds is refused as "access denied", and who holds it is not told.

#include "link/port_access.h"

namespace kav::link {

QStringList lockFolders() {
    return {};
}

PortProblem checkBeforeOpen(const QString&) {
    return {};
}

PortProblem diagnoseRefusal(const QString&, const QStringList&) {
    return {OpenResult::InUse, {}};
}

bool deviceRemoved(const QString&) {
    return false;
}

}  // namespace kav::link
