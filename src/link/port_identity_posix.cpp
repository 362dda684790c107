#include "link/port_identity.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "link/port_list.h"

namespace kav::link {
namespace {

// The device path QSerialPort opens for a name: announced links as they are, others in /dev.
QString devicePath(const QString& name) {
    const QString location = portLocation(name);
    return location.startsWith(u'/') ? location : QStringLiteral("/dev/") + location;
}

QString statText(const struct stat& st) {
    return QStringLiteral("%1:%2:%3.%4")
        .arg(quint64(st.st_rdev))
        .arg(quint64(st.st_ino))
        .arg(qint64(st.st_ctim.tv_sec))
        .arg(qint64(st.st_ctim.tv_nsec));
}

QString firstLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(file.readLine().trimmed());
}

// The USB device above a tty in sysfs: its bus and device numbers and its serial.
QString usbDevice(const QString& node) {
    QString dir =
        QFileInfo(QStringLiteral("/sys/class/tty/%1/device").arg(node)).canonicalFilePath();
    for (int depth = 0; depth < 4 && dir.size() > 1; ++depth, dir = QFileInfo(dir).path()) {
        const QString devnum = firstLine(dir + QStringLiteral("/devnum"));
        if (!devnum.isEmpty())
            return QStringLiteral("%1-%2-%3")
                .arg(firstLine(dir + QStringLiteral("/busnum")), devnum,
                     firstLine(dir + QStringLiteral("/serial")));
    }
    return {};
}

}  // namespace

QString portIdentity(const QString& name) {
    const QString path = devicePath(name);
    const QByteArray native = QFile::encodeName(path);
    struct stat link {
    }, device{};
    if (::lstat(native.constData(), &link) != 0 || ::stat(native.constData(), &device) != 0)
        return {};
    const QString target = QFileInfo(path).canonicalFilePath();
    QString identity =
        statText(device) + u'|' + target + u'|' + usbDevice(QFileInfo(target).fileName());
    if (S_ISLNK(link.st_mode)) identity += u'|' + statText(link);
    return identity;
}

}  // namespace kav::link
