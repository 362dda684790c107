#include "export/file_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "export/durable_files.h"
#include "log/whole_write.h"

namespace kav::exporting {

namespace {

constexpr int kTemporaryNameAttempts = 100;

// Creates a fresh hidden file beside target; false if none could be created. Unbuffered: a
// write the disk cuts short is told with the system's reason, whatever the file's size.
bool openTemporaryBeside(const QString& target, QFile& temporary) {
    const QFileInfo info(target);
    const QString stem =
        QStringLiteral(".%1.%2-").arg(info.fileName()).arg(QCoreApplication::applicationPid());
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary.setFileName(
            info.dir().filePath(stem + QString::number(attempt) + QStringLiteral(".part")));
        if (temporary.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            return true;
        if (!temporary.exists()) return false;  // the folder refuses, not a name clash
    }
    return false;
}

class DiskStore final : public FileStore {
  public:
    QString writeTemporary(const QString& target, const QByteArray& bytes,
                           QString* reason) override {
        QFile file;
        if (!openTemporaryBeside(target, file)) {
            *reason = file.errorString();
            return {};
        }
        const bool written = kav::log::writeWhole(file, bytes);
        if (written) platform::startWriteback(file.handle());
        *reason = file.errorString();
        file.close();
        if (written && file.error() == QFileDevice::NoError) return file.fileName();
        if (written) *reason = file.errorString();
        file.remove();
        return {};
    }
    bool flushData(const QStringList& paths, QString* reason) override {
        return platform::flushData(paths, reason);
    }
    RenameOutcome renameNew(const QString& from, const QString& to, QString* reason) override {
        return platform::renameNoReplace(from, to, reason);
    }
    bool syncFolder(const QString& folder, QString* reason) override {
        return kav::log::syncFolderOf(folder + QStringLiteral("/."), reason);
    }
    bool exists(const QString& path) const override {
        return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
    }
    void remove(const QString& path) override { QFile::remove(path); }
};

}  // namespace

FileStore& diskStore() {
    static DiskStore store;
    return store;
}

}  // namespace kav::exporting
