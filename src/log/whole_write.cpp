#include "log/whole_write.h"

#include <cerrno>
#include <cstring>

#include <QFileInfo>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kav::log {

bool writeWhole(QFileDevice& file, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) return false;
        done += qsizetype(written);
    }
    return file.flush();
}

bool syncToDisk(QFileDevice& file, QString* reason) {
    const int handle = file.handle();
    if (handle < 0) return true;  // not a file on disk
#ifdef Q_OS_WIN
    const bool synced = ::_commit(handle) == 0;
#else
    const bool synced = ::fsync(handle) == 0 || errno == EINVAL;  // EINVAL: cannot be synced
#endif
    if (!synced && reason) *reason = QString::fromLocal8Bit(std::strerror(errno));
    return synced;
}

bool syncFolderOf(const QString& path, QString* reason) {
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    Q_UNUSED(reason);
    return true;  // NTFS keeps a created file's entry with its data
#else
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return true;  // nothing to sync through; the file itself is on the disk
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
    if (!synced && reason) *reason = QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return synced;
#endif
}

}  // namespace kav::log
