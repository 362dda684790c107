#include "cli/console.h"

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
void put(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}
}  // namespace

void printOut(const QString& line) {
    put(stdout, line + u'\n');
}
void printErr(const QString& line) {
    put(stderr, line + u'\n');
}
void writeErr(const QString& text) {
    put(stderr, text);
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
