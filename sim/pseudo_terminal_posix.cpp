#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "pseudo_terminal.h"

namespace kav::sim {
namespace {

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

// No byte translated in either direction: 0x0D stays 0x0D, 0x0A stays 0x0A.
bool makeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

// The rates the logger can be configured to, by their termios codes.
constexpr std::array<std::pair<speed_t, int>, 9> kSpeeds{{{B4800, 4800},
                                                          {B9600, 9600},
                                                          {B19200, 19200},
                                                          {B38400, 38400},
                                                          {B57600, 57600},
                                                          {B115200, 115200},
                                                          {B230400, 230400},
                                                          {B460800, 460800},
                                                          {B921600, 921600}}};

}  // namespace

bool PseudoTerminal::open(QString* error) {
    close();
    const auto fail = [&](const char* what) {
        if (error) *error = systemError(what);
        close();
        return false;
    };
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0) return fail("posix_openpt");
    // A program started meanwhile must not hold the terminal open: when the logger goes away
    // its host has to see the line hang up.
    if (fcntl(master_, F_SETFD, FD_CLOEXEC) != 0) return fail("fcntl");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) return fail("grantpt/unlockpt");
    const char* name = ptsname(master_);
    if (!name) return fail("ptsname");
    slavePath_ = QString::fromLocal8Bit(name);
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) return fail("open slave");
    if (!makeRaw(slave_) || !makeRaw(master_)) return fail("tcsetattr");
    return true;
}

void PseudoTerminal::close() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

QByteArray PseudoTerminal::readAvailable() {
    QByteArray bytes;
    char buffer[4096];
    while (master_ >= 0) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) break;  // EAGAIN when drained; EIO cannot happen while the slave fd is held
        bytes.append(buffer, qsizetype(n));
    }
    return bytes;
}

qsizetype PseudoTerminal::write(QByteArrayView bytes) {
    if (master_ < 0) return -1;
    const ssize_t n = ::write(master_, bytes.data(), std::size_t(bytes.size()));
    if (n >= 0) return qsizetype(n);
    return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : -1;
}

int PseudoTerminal::hostLineRate() const {
    termios tio{};
    if (master_ < 0 || tcgetattr(master_, &tio) != 0) return 0;
    const speed_t speed = cfgetospeed(&tio);
    for (const auto& [code, rate] : kSpeeds)
        if (code == speed) return rate;
    return 0;
}

}  // namespace kav::sim
