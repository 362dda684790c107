#include "export/safe_file_write.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kav::exporting {

namespace {

constexpr int kTemporaryNameAttempts = 100;

// Creates a fresh hidden file beside target; false if none could be created.
bool openTemporaryBeside(const QString& target, QFile& temporary) {
    const QFileInfo info(target);
    const QString stem =
        QStringLiteral(".%1.%2-").arg(info.fileName()).arg(QCoreApplication::applicationPid());
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary.setFileName(
            info.dir().filePath(stem + QString::number(attempt) + QStringLiteral(".part")));
        if (temporary.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return true;
        if (!temporary.exists()) return false;  // the folder refuses, not a name clash
    }
    return false;
}

QString failureText(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot write the file %1: %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

}  // namespace

WriteResult writeNewFile(const QString& path, const QByteArray& content) {
    if (QFileInfo(path).exists() || QFileInfo(path).isSymLink())
        return WriteResult::failure(failureText(path, QStringLiteral("the file already exists")));

    QFile temporary;
    if (!openTemporaryBeside(path, temporary))
        return WriteResult::failure(failureText(path, temporary.errorString()));

    const bool written = temporary.write(content) == content.size() && temporary.flush();
    const QString writeError = temporary.errorString();
    temporary.close();
    if (!written || temporary.error() != QFileDevice::NoError) {
        temporary.remove();
        return WriteResult::failure(failureText(path, writeError));
    }
    // QFile::rename never replaces an existing destination.
    if (!temporary.rename(path)) {
        const QString renameError = temporary.errorString();
        temporary.remove();
        return WriteResult::failure(failureText(path, renameError));
    }
    return WriteResult::success();
}

}  // namespace kav::exporting
