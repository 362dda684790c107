// POSIX side: stat() before opening; after a refusal, access(), the lock folders and the open
// files of every process (/proc/<pid>/fd, on Linux).

#include <cerrno>
#include <csignal>
#include <cstring>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "link/port_access.h"

namespace kav::link {

namespace {

// The device as the serial port opens it: a bare name is looked for in /dev.
QString devicePath(const QString& device) {
    const bool path = device.startsWith(u'/') || device.startsWith(QStringLiteral("./")) ||
                      device.startsWith(QStringLiteral("../"));
    return path ? device : QStringLiteral("/dev/") + device;
}

// The lock file's name for a device: LCK.. and its path below /dev, with '/' made '_'.
QString lockName(const QString& path) {
    QString name = path.startsWith(QStringLiteral("/dev/")) ? path.mid(5) : path;
    return QStringLiteral("LCK..") + name.replace(u'/', u'_');
}

QString kindOfFile(mode_t mode) {
    if (S_ISDIR(mode)) return QStringLiteral("a folder");
    if (S_ISREG(mode)) return QStringLiteral("a regular file");
    return QStringLiteral("a special file");
}

// The group whose members may read and write the device; empty when joining none would help.
QString groupName(const QByteArray& path) {
    struct stat st = {};
    if (::stat(path.constData(), &st) != 0 || st.st_gid == 0) return {};
    if ((st.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) return {};
    const struct group* g = ::getgrgid(st.st_gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString();
}

bool processAlive(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// "gpsd (process 812)", or "process 812" when its name cannot be read.
QString programName(pid_t pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    QString name;
    if (comm.open(QIODevice::ReadOnly)) name = QString::fromLocal8Bit(comm.readAll()).trimmed();
    return name.isEmpty() ? QStringLiteral("process %1").arg(pid)
                          : QStringLiteral("%1 (process %2)").arg(name).arg(pid);
}

// The process a lock file names (in ASCII, as UUCP and Qt write it); 0 when it names none.
pid_t lockOwner(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    bool ok = false;
    const long pid = file.readLine(64).trimmed().toLong(&ok);
    return ok && pid > 0 ? pid_t(pid) : 0;
}

// A live lock file names the program holding the port; any other is one left behind.
PortProblem lockProblem(const QString& path, const QStringList& lockDirs) {
    QStringList names{lockName(path)};
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!canonical.isEmpty() && lockName(canonical) != names.front()) names << lockName(canonical);
    for (const QString& dir : lockDirs)
        for (const QString& name : names) {
            const QString lock = QDir(dir).filePath(name);
            if (!QFileInfo::exists(lock)) continue;
            const pid_t pid = lockOwner(lock);
            if (pid == ::getpid()) continue;
            if (pid > 0 && processAlive(pid)) return {OpenResult::InUse, programName(pid)};
            return {OpenResult::StaleLock, lock};
        }
    return {};
}

// Another process that has the device open, from the links in /proc/<pid>/fd; 0 when none is
// seen (another user's processes cannot be looked into).
pid_t holderOf(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty()) return 0;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const pid_t pid = pid_t(entry.toLong(&numeric));
        if (!numeric || pid == ::getpid()) continue;
        const QDir fds(proc.filePath(entry) + QStringLiteral("/fd"));
        for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System))
            if (QFile::symLinkTarget(fds.filePath(fd)) == canonical) return pid;
    }
    return 0;
}

}  // namespace

QStringList lockFolders() {
    return {QStringLiteral("/var/lock"),       QStringLiteral("/run/lock"),
            QStringLiteral("/etc/locks"),      QStringLiteral("/var/spool/locks"),
            QStringLiteral("/var/spool/uucp"), QStringLiteral("/tmp"),
            QStringLiteral("/var/tmp"),        QStringLiteral("/var/lock/lockdev")};
}

PortProblem checkBeforeOpen(const QString& device) {
    struct stat st = {};
    if (::stat(QFile::encodeName(devicePath(device)).constData(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) return {};  // the serial port will say why
        return {OpenResult::InvalidPort, QString::fromLocal8Bit(std::strerror(errno))};
    }
    if (!S_ISCHR(st.st_mode)) return {OpenResult::NotSerialDevice, kindOfFile(st.st_mode)};
    return {};
}

PortProblem diagnoseRefusal(const QString& device, const QStringList& lockDirs) {
    const QString path = devicePath(device);
    const QByteArray native = QFile::encodeName(path);
    if (::access(native.constData(), R_OK | W_OK) != 0 && errno == EACCES)
        return {OpenResult::NoPermission, groupName(native)};
    if (PortProblem lock = lockProblem(path, lockDirs); lock.kind != OpenResult::Ok) return lock;
    if (const pid_t pid = holderOf(path)) return {OpenResult::InUse, programName(pid)};
    return {OpenResult::InUse, {}};
}

bool deviceRemoved(const QString& device) {
    return !QFile::exists(devicePath(device));
}

}  // namespace kav::link
