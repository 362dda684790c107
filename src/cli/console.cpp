#include "cli/console.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#define KAV_ISATTY _isatty
#define KAV_FILENO _fileno
#else
#include <unistd.h>
#define KAV_ISATTY isatty
#define KAV_FILENO fileno
#endif

namespace kav::cli {

namespace {
// A stream whose reader has gone (`... | head -1`): nothing more is printed on it.
// Atomic: the download station prints from a thread per logger.
std::atomic<bool> g_outClosed = false;
std::atomic<bool> g_errClosed = false;

void put(std::FILE* stream, std::atomic<bool>& closed, const QString& text) {
    if (closed) return;
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
    if (!std::ferror(stream)) return;
    closed = errno == EPIPE;
    std::clearerr(stream);
}
}  // namespace

void ignoreClosedOutput() {
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

void printOut(const QString& line) {
    put(stdout, g_outClosed, line + u'\n');
}
void printErr(const QString& line) {
    put(stderr, g_errClosed, line + u'\n');
}
void writeErr(const QString& text) {
    put(stderr, g_errClosed, text);
}

bool stdinIsTerminal() {
    return KAV_ISATTY(KAV_FILENO(stdin)) != 0;
}
bool stderrIsTerminal() {
    return KAV_ISATTY(KAV_FILENO(stderr)) != 0;
}

bool askYesNo(const QString& question) {
    writeErr(question + QStringLiteral(" [y/N] "));
    char line[64] = {};
    if (!std::fgets(line, sizeof line, stdin)) return false;
    const QString answer = QString::fromLocal8Bit(line).trimmed().toLower();
    return answer == QStringLiteral("y") || answer == QStringLiteral("yes") ||
           answer == QStringLiteral("ok");
}

}  // namespace kav::cli
