#include "link/open_failure_text.h"

namespace kav::link {

QString openFailureText(OpenResult kind, const QString& port, const QString& detail) {
    switch (kind) {
        case OpenResult::Ok:
            return {};
        case OpenResult::InvalidPort:
            return QStringLiteral("There is no serial port %1: check the name and the cable.")
                .arg(port);
        case OpenResult::NotSerialDevice:
            return QStringLiteral("%1 is not a serial port but %2.").arg(port, detail);
        case OpenResult::NoPermission:
            if (detail.isEmpty())
                return QStringLiteral(
                           "No permission to open %1 (serial ports usually belong to the dialout "
                           "group: sudo usermod -aG dialout $USER, then log out and in again).")
                    .arg(port);
            return QStringLiteral(
                       "No permission to open %1: add your user to the %2 group (sudo usermod "
                       "-aG %2 $USER), then log out and in again.")
                .arg(port, detail);
        case OpenResult::InUse:
            return detail.isEmpty() ? QStringLiteral("%1 is in use by another program.").arg(port)
                                    : QStringLiteral("%1 is in use by %2.").arg(port, detail);
        case OpenResult::StaleLock:
            return QStringLiteral(
                       "%1 is locked by %2, left behind by a program that has ended: remove "
                       "that file.")
                .arg(port, detail);
        case OpenResult::Failed:
            break;
    }
    return detail.isEmpty() ? QStringLiteral("Cannot open %1.").arg(port)
                            : QStringLiteral("Cannot open %1: %2.").arg(port, detail);
}

}  // namespace kav::link
