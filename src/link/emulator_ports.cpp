#include "emulator_ports.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace kav::link {

namespace {
const QRegularExpression kAnnouncedName(QStringLiteral("^ttySIM[0-9]+$"));
}

QString emulatorPortsDir() {
#ifdef Q_OS_WIN
    return {};
#else
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(QString::fromLocal8Bit(runtime)).isDir())
        return QString::fromLocal8Bit(runtime) + QStringLiteral("/kav-skytraq/ports");
    return QStringLiteral("/tmp/kav-skytraq-%1/ports").arg(getuid());
#endif
}

QStringList announcedEmulatorPorts() {
    QStringList names;
    const QString dir = emulatorPortsDir();
    if (dir.isEmpty()) return names;
    const QFileInfoList entries =
        QDir(dir).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (!entry.isSymLink() || !kAnnouncedName.match(entry.fileName()).hasMatch()) continue;
        // A link whose terminal has gone (the emulator died) is not a port.
        const QFileInfo target(entry.symLinkTarget());
        if (target.exists() && !target.isDir()) names << entry.fileName();
    }
    return names;
}

QString announceEmulatorPort(const QString& target) {
    const QString dir = emulatorPortsDir();
    if (dir.isEmpty() || !QDir().mkpath(dir)) return {};
    for (int n = 0; n < 1000; ++n) {
        const QString name = QStringLiteral("ttySIM%1").arg(n);
        const QString path = dir + QLatin1Char('/') + name;
        const QFileInfo existing(path);
        if (existing.isSymLink() && !QFileInfo(existing.symLinkTarget()).exists())
            QFile::remove(path);  // stale link left by an emulator that was killed
        if (QFile::link(target, path)) return name;
    }
    return {};
}

void withdrawEmulatorPort(const QString& name, const QString& target) {
    const QString path = emulatorPortsDir() + QLatin1Char('/') + name;
    const QFileInfo info(path);
    if (info.isSymLink() && info.symLinkTarget() == QFileInfo(target).absoluteFilePath())
        QFile::remove(path);
}

}  // namespace kav::link
