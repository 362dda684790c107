#include "app/transfer_setting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kav::app {

QString transferSettingPath(const QString& connexionPath) {
    return QFileInfo(connexionPath).dir().filePath(QStringLiteral("Transfer.cfg"));
}

std::optional<session::TransferSpeed> readTransferSpeed(const QString& connexionPath) {
    QFile file(transferSettingPath(connexionPath));
    if (connexionPath.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    return session::transferSpeedFromName(QString::fromLatin1(file.readLine(64)).trimmed());
}

// One line, "standard", "fast" or "fastest", ended by CR LF as the other settings files.
bool writeTransferSpeed(const QString& connexionPath, session::TransferSpeed speed,
                        QString* error) {
    QFile file(transferSettingPath(connexionPath));
    const QByteArray line = session::transferSpeedName(speed).toLatin1() + "\r\n";
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(line) == line.size() &&
        file.flush())
        return true;
    if (error) *error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
    return false;
}

}  // namespace kav::app
