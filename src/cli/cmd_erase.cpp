// erase: clear the logger's memory, after asking.

#include "cli/cli_app.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/download_job.h"
#include "cli/download_session.h"
#include "cli/interrupt_notifier.h"
#include "cli/progress_line.h"
#include "link/command_set.h"
#include "link/serial_transport.h"

namespace kav::cli {

namespace {

// Asks the question on a terminal unless --yes; refuses without a terminal.
std::optional<int> confirm(CommandLine& cl) {
    if (cl.parser().isSet(QStringLiteral("yes"))) return std::nullopt;
    if (!stdinIsTerminal())
        return cl.usageError(
            QStringLiteral("refusing to clear the memory without --yes "
                           "(standard input is not a terminal)"));
    if (!askYesNo(QStringLiteral("Clear flight recorder ?"))) {
        printErr(QStringLiteral("kav-skytraq-cli erase: nothing cleared"));
        return kExitFailure;
    }
    return std::nullopt;
}

}  // namespace

int runErase(const QStringList& args) {
    CommandLine cl(QStringLiteral("erase"), QStringLiteral("--port P [--yes] [--raw FILE]"),
                   QStringLiteral("Clears the logger's memory once it has answered with its "
                                  "status; the memory is not read unless --raw asks for a copy "
                                  "first. Asks \"Clear flight recorder ?\" unless --yes; "
                                  "without a terminal, --yes is required."));
    cl.add(portOption());
    cl.add({QStringLiteral("yes"), QStringLiteral("Clear without asking.")});
    cl.add({QStringLiteral("raw"), QStringLiteral("Save the memory as read before clearing it."),
            QStringLiteral("FILE")});
    if (const auto done = cl.parse(args)) return *done;
    const auto port = cl.required(QStringLiteral("port"));
    if (!port) return kExitUsage;
    if (const auto refused = confirm(cl)) return *refused;
    const QString rawPath = cl.parser().value(QStringLiteral("raw"));

    InterruptNotifier interrupt;
    kav::link::SerialTransport transport;
    DownloadSession session(transport);
    session.setStayConnected(true);
    ProgressLine progress(stderrIsTerminal());
    const QString refusal = kav::link::nackMessage(kav::link::msg::ClearMemory);
    QObject::connect(&session, &DownloadSession::progress, &session,
                     [&progress](int done, int total) { progress.update(done, total); });
    QObject::connect(&session, &DownloadSession::notice, &session, [&](const QString& text) {
        progress.finish();
        if (text == refusal)
            session.end(QStringLiteral("the logger refused to clear its memory"));
        else
            printErr(QStringLiteral("kav-skytraq-cli erase: ") + text);
    });
    const auto clear = [&] {
        if (!session.link().clearMemory())
            session.end(QStringLiteral("the command could not be sent"));
    };
    // With a copy wanted the whole memory is read and saved first; otherwise nothing is read.
    QObject::connect(&session, &DownloadSession::memoryRead, &session, [&] {
        progress.finish();
        if (!saveRawCopy(rawPath, session, QStringLiteral("kav-skytraq-cli erase: ")))
            return session.end(QStringLiteral("the copy could not be saved; nothing cleared"));
        clear();
    });
    if (rawPath.isEmpty())
        QObject::connect(&session, &DownloadSession::statusReady, &session, clear);
    QObject::connect(&session.link(), &kav::link::LoggerLink::memoryCleared, &session, [&] {
        printOut(QStringLiteral("Memory cleared"));
        session.end();
    });
    session.start(*port, rawPath.isEmpty() ? DownloadSession::Goal::Command
                                           : DownloadSession::Goal::ReadMemory);
    const QString error = session.wait(&interrupt);
    progress.finish();
    if (error.isEmpty()) return kExitOk;
    return interrupt.interrupted() ? kExitInterrupted : cl.failure(error);
}

}  // namespace kav::cli
