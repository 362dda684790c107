// POSIX side: names given with renameat2's no-replace flag, or link and unlink where the file
// system lacks it (a check and a rename where it has no hard links either). Linux starts each
// file's write-back as soon as it is written, so the flush at the end mostly waits for data already
// on its way.

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "export/durable_files.h"

namespace kav::exporting::platform {

namespace {

QString systemReason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

#if !defined(__linux__)
bool syncData(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL;  // EINVAL: a file that cannot be synced
}
#endif

}  // namespace

void startWriteback(int handle) {
#if defined(__linux__)
    ::sync_file_range(handle, 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    (void)handle;
#endif
}

// Linux: one syncfs for each file system the files' folders are on (on a loaded machine, one
// flush of the disk's cache instead of one for each file). Elsewhere each file's data is synced.
bool flushData(const QStringList& paths, QString* reason) {
#if defined(__linux__)
    QSet<QString> folders;
    QSet<dev_t> synced;
    for (const QString& path : paths) {
        const QString folder = QFileInfo(path).path();
        if (folders.contains(folder)) continue;
        folders.insert(folder);
        const int fd =
            ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat status {};
        bool ok = fd >= 0 && ::fstat(fd, &status) == 0;
        if (ok && !synced.contains(status.st_dev)) {
            ok = ::syncfs(fd) == 0;
            synced.insert(status.st_dev);
        }
        if (!ok) *reason = systemReason();
        if (fd >= 0) ::close(fd);
        if (!ok) return false;
    }
    return true;
#else
    for (const QString& path : paths) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        const bool ok = fd >= 0 && syncData(fd);
        if (!ok) *reason = systemReason();
        if (fd >= 0) ::close(fd);
        if (!ok) return false;
    }
    return true;
#endif
}

RenameOutcome renameNoReplace(const QString& from, const QString& to, QString* reason) {
    const QByteArray source = QFile::encodeName(from), target = QFile::encodeName(to);
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return RenameOutcome::Done;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        if (errno == EEXIST) return RenameOutcome::NameTaken;
        *reason = systemReason();
        return RenameOutcome::Failed;
    }
#endif
    // link fails on an existing name, so no file is ever replaced.
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return RenameOutcome::Done;
    }
    if (errno == EEXIST) return RenameOutcome::NameTaken;
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP) {
        *reason = systemReason();
        return RenameOutcome::Failed;
    }
    // A file system without hard links: a check, then a plain rename.
    struct stat status {};
    if (::lstat(target.constData(), &status) == 0) return RenameOutcome::NameTaken;
    if (::rename(source.constData(), target.constData()) == 0) return RenameOutcome::Done;
    *reason = systemReason();
    return RenameOutcome::Failed;
}

}  // namespace kav::exporting::platform
