#include "port_list.h"

#include <algorithm>
#include <tuple>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include "link/emulator_ports.h"

namespace kav::link {

namespace {

// Ranks of the port families: the last port of the sorted list is the one chosen.
enum Rank { kLegacy, kBuiltIn, kEmulator, kUsb };

Rank rankOf(const QString& prefix) {
    if (prefix == QLatin1String("ttyS")) return kLegacy;
    if (prefix == QLatin1String("ttySIM")) return kEmulator;
    if (prefix == QLatin1String("ttyUSB") || prefix == QLatin1String("ttyACM")) return kUsb;
    return kBuiltIn;
}

struct PortKey {
    Rank rank;
    QString prefix;
    qlonglong number;  // -1 without a trailing number
    QString name;
    bool operator<(const PortKey& o) const {
        return std::tie(rank, prefix, number, name) < std::tie(o.rank, o.prefix, o.number, o.name);
    }
};

PortKey keyOf(const QString& name) {
    static const QRegularExpression kSplit(QStringLiteral("^(.*?)([0-9]*)$"));
    const QRegularExpressionMatch m = kSplit.match(name);
    const QString digits = m.captured(2);
    const QString prefix = m.captured(1);
    return {rankOf(prefix), prefix, digits.isEmpty() ? -1 : digits.toLongLong(), name};
}

}  // namespace

QStringList sortPortNames(QStringList names) {
    names.removeDuplicates();
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return keyOf(a) < keyOf(b); });
    return names;
}

bool isPluggedPort(const QString& name) {
    const Rank rank = keyOf(name).rank;
    if (rank == kUsb || rank == kEmulator) return true;
#ifdef Q_OS_WIN
    return QSerialPortInfo(name).hasVendorIdentifier();  // a USB serial bridge
#else
    return false;
#endif
}

QStringList availablePorts() {
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) names << info.portName();
    names << announcedEmulatorPorts();
    return sortPortNames(names);
}

QStringList fixedPortNames() {
    QStringList names;
#ifdef Q_OS_WIN
    for (int n = 3; n <= 63; ++n) names << QStringLiteral("COM%1").arg(n);
#else
    for (int n = 0; n <= 60; ++n) names << QStringLiteral("ttyUSB%1").arg(n);
#endif
    return names;
}

QString portLocation(const QString& name) {
    static const QRegularExpression kEmulatorName(QStringLiteral("^ttySIM[0-9]+$"));
    const QString dir = emulatorPortsDir();
    if (dir.isEmpty() || !kEmulatorName.match(name).hasMatch()) return name;
    const QString path = QDir(dir).filePath(name);
    return QFileInfo(path).isSymLink() ? path : name;
}

}  // namespace kav::link
