#include "link/port_identity.h"

#include <QSerialPortInfo>

namespace kav::link {

QString portIdentity(const QString& name) {
    const QSerialPortInfo info(name);
    if (info.isNull()) return {};
    return QStringLiteral("%1|%2|%3:%4")
        .arg(info.systemLocation(), info.serialNumber())
        .arg(info.vendorIdentifier())
        .arg(info.productIdentifier());
}

}  // namespace kav::link
