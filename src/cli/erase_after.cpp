#include "cli/erase_after.h"

#include "cli/command_session.h"
#include "cli/exit_status.h"
#include "link/serial_transport.h"

namespace kav::cli {

using kav::session::DownloadSession;

bool clearIfStillSaved(const QString& port, const kav::session::SavedMemory& saved,
                       const QString& command, InterruptNotifier* interrupt, QString* why) {
    kav::link::SerialTransport transport;
    CommandSession run(transport, command);
    DownloadSession& session = run.session();
    QObject::connect(&session, &DownloadSession::ready, &run, [&run, &session, saved] {
        if (!session.clearIfSame(saved))
            run.fail(kExitIoError, QStringLiteral("the clear could not be sent"));
    });
    QObject::connect(&session, &DownloadSession::clearEnded, &run, [&run] { run.end(); });
    run.judgeBy(
        [](const kav::session::RunReport& report) -> std::optional<CommandSession::Verdict> {
            if (!report.clear) return std::nullopt;
            using Result = kav::session::ClearReport::Result;
            if (report.clear->result == Result::Cleared) return CommandSession::Verdict{};
            if (report.clear->result == Result::Failed) return std::nullopt;  // the link says why
            return CommandSession::Verdict{kExitFailure, report.clear->why};
        });
    run.start(port, DownloadSession::Goal::Command);
    if (run.wait(interrupt) == kExitOk) return true;
    *why = run.error();
    return false;
}

namespace {

// The sectors the logger reports as used, -1 when it does not answer.
int sectorsUsed(const QString& port, const QString& command, InterruptNotifier* interrupt,
                QString* why) {
    kav::link::SerialTransport transport;
    CommandSession run(transport, command);
    int used = -1;
    QObject::connect(
        &run.session(), &DownloadSession::statusReceived, &run,
        [&used](const kav::link::LogStatus& status) { used = status.SectorsToDownload; });
    run.judgeBy(identifiedVerdict);
    run.start(port, DownloadSession::Goal::Identify);
    if (run.wait(interrupt) != kExitOk) *why = run.error();
    return used;
}

}  // namespace

bool clearAndConfirm(const QString& port, const kav::session::SavedMemory& saved,
                     const QString& command, InterruptNotifier* interrupt, QString* why) {
    if (!clearIfStillSaved(port, saved, command, interrupt, why)) return false;
    const int used = sectorsUsed(port, command, interrupt, why);
    if (used == 0) return true;
    if (used > 0)
        *why = QStringLiteral("the logger still reports %1 sectors used after the clear").arg(used);
    else if (why->isEmpty())
        *why = QStringLiteral("the logger did not confirm the clear");
    return false;
}

}  // namespace kav::cli
