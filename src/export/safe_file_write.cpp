#include "export/safe_file_write.h"

#include <optional>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "log/whole_write.h"

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

bool exists(const QString& path) {
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

// Fills temporary with content and closes it; the system's reason when that fails.
std::optional<QString> fill(QFile& temporary, const QByteArray& content) {
    QString reason;
    if (!kav::log::writeWhole(temporary, content) || !kav::log::syncToDisk(temporary, &reason)) {
        if (reason.isEmpty()) reason = temporary.errorString();
        temporary.close();
        return reason;
    }
    temporary.close();
    if (temporary.error() != QFileDevice::NoError) return temporary.errorString();
    return std::nullopt;
}

}  // namespace

WriteResult writeNewFile(const QString& path, const QByteArray& content) {
    const QString takenText = failureText(path, QStringLiteral("the file already exists"));
    if (exists(path)) return WriteResult::taken(takenText);

    QFile temporary;
    if (!openTemporaryBeside(path, temporary))
        return WriteResult::failure(failureText(path, temporary.errorString()));
    if (const auto reason = fill(temporary, content)) {
        temporary.remove();
        return WriteResult::failure(failureText(path, *reason));
    }
    // QFile::rename never replaces an existing destination.
    if (!temporary.rename(path)) {
        const QString renameError = temporary.errorString();
        temporary.remove();
        if (exists(path)) return WriteResult::taken(takenText);
        return WriteResult::failure(failureText(path, renameError));
    }
    QString reason;
    if (!kav::log::syncFolderOf(path, &reason))
        return WriteResult::failure(failureText(path, reason));
    return WriteResult::success();
}

}  // namespace kav::exporting
