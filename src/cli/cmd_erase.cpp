// erase: clear the logger's memory, after asking.

#include "cli/cli_app.h"
#include "cli/command_line.h"
#include "cli/command_session.h"
#include "cli/console.h"
#include "cli/download_job.h"
#include "cli/erase_after.h"
#include "cli/interrupt_notifier.h"
#include "cli/progress_line.h"
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
        cl.warn(QStringLiteral("nothing cleared"));
        return kExitFailure;  // declined
    }
    return std::nullopt;
}

std::optional<CommandSession::Verdict> clearedVerdict(const kav::session::RunReport& report) {
    if (!report.memoryCleared) return std::nullopt;
    return CommandSession::Verdict{};
}

// The whole memory is read and saved first; the clear then proves, on a connection of its own,
// that the logger still holds the memory saved. A copy cut short is still saved: it is all
// there is of the memory.
int copyThenClear(const QString& port, const QString& rawPath, CommandSession& run,
                  InterruptNotifier& interrupt) {
    using kav::session::DownloadSession;
    DownloadSession& session = run.session();
    ProgressLine progress(stderrIsTerminal());
    QObject::connect(&session, &DownloadSession::progressChanged, &run,
                     [&progress](const kav::session::Progress& p) {
                         progress.update(p.sectorsRead, p.sectorsToRead);
                     });
    run.judgeBy(
        [](const kav::session::RunReport& report) -> std::optional<CommandSession::Verdict> {
            if (!report.downloadEnded()) return std::nullopt;
            if (report.outcome.complete()) return CommandSession::Verdict{};
            return CommandSession::Verdict{
                exitStatusFor(report.outcome),
                cutReason(report.outcome) + QStringLiteral(" Nothing was cleared.")};
        });
    run.start(port, DownloadSession::Goal::ReadMemory);
    run.wait(&interrupt);
    progress.finish();
    const int status = run.report();
    if (session.memory().isEmpty()) return status;
    const bool copied = saveRawCopy(rawPath, session, run.prefix());
    if (status != kExitOk) return copied ? status : moreSevere(status, kExitCannotWrite);
    const std::optional<kav::session::SavedMemory> saved = session.savedMemory();
    if (!copied || !saved) {
        printErr(run.prefix() + QStringLiteral("the copy could not be saved; nothing cleared"));
        return kExitCannotWrite;
    }
    QString why;
    if (!clearIfStillSaved(port, *saved, QStringLiteral("erase"), &interrupt, &why)) {
        printErr(run.prefix() + why);
        return kExitFailure;
    }
    printOut(QStringLiteral("Memory cleared"));
    return kExitOk;
}

}  // namespace

int runErase(const QStringList& args) {
    CommandLine cl(QStringLiteral("erase"),
                   QStringLiteral("--port P [--yes] [--raw FILE] [--speed S] [--trace FILE]"),
                   QStringLiteral("Clears the logger's memory once it has answered with its "
                                  "status; the memory is not read unless --raw asks for a copy "
                                  "first, and then only a logger still holding the memory "
                                  "copied is cleared. Asks \"Clear flight recorder ?\" unless "
                                  "--yes; "
                                  "without a terminal, --yes is required."));
    cl.add(portOption());
    cl.add(traceOption());
    cl.add(speedOption());
    cl.add({QStringLiteral("yes"), QStringLiteral("Clear without asking.")});
    cl.add({QStringLiteral("raw"), QStringLiteral("Save the memory as read before clearing it."),
            QStringLiteral("FILE")});
    if (const auto done = cl.parse(args)) return *done;
    const auto port = cl.required(QStringLiteral("port"));
    if (!port) return kExitUsage;
    if (const auto refused = confirm(cl)) return *refused;
    const QString rawPath = cl.parser().value(QStringLiteral("raw"));
    const auto speed = speedFrom(cl);
    if (!speed) return kExitUsage;

    InterruptNotifier interrupt;
    kav::link::SerialTransport transport;
    CommandSession run(transport, cl.name());
    if (!run.traceTo(cl.parser().value(QStringLiteral("trace")))) return kExitCannotWrite;
    using kav::session::DownloadSession;
    DownloadSession& session = run.session();
    session.setTransferSpeed(*speed);
    if (!rawPath.isEmpty()) return copyThenClear(*port, rawPath, run, interrupt);
    QObject::connect(&session, &DownloadSession::ready, &run, [&] {
        if (!session.clearMemory())
            run.fail(kExitIoError, QStringLiteral("the command could not be sent"));
    });
    QObject::connect(&session, &DownloadSession::memoryCleared, &run, [&run] {
        printOut(QStringLiteral("Memory cleared"));
        run.end();
    });
    run.judgeBy(clearedVerdict);
    run.start(*port, DownloadSession::Goal::Command);
    run.wait(&interrupt);
    return run.report();
}

}  // namespace kav::cli
