#include "app/nav_folders.h"

#include <QDir>
#include <QFileInfo>

namespace kav::app {
namespace {

// A folder with no attribute but "directory": not hidden, not read-only, not a link.
bool isPlainFolder(const QFileInfo& info) {
    return info.isDir() && !info.isSymLink() && !info.isHidden() &&
           (info.permissions() & QFileDevice::WriteOwner);
}

}  // namespace

QStringList navFolders(const QString& dir) {
    QStringList names;
    if (dir.isEmpty()) return names;
    const QDir folder(dir);
    const auto entries = folder.entryInfoList(
        QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : entries) {
        if (info.fileName().startsWith(QStringLiteral("Nav"), Qt::CaseSensitive) &&
            isPlainFolder(info))
            names << info.fileName();
    }
    return names;
}

}  // namespace kav::app
