#include "cli/erase_after.h"

#include "cli/command_session.h"
#include "cli/exit_status.h"
#include "link/serial_transport.h"

namespace kav::cli {

using kav::session::DownloadSession;

namespace {

// Clears the logger once it has answered, if it is the one saved; true once the clear is
// acknowledged and the status on the same connection shows no sector used.
bool clearMemory(const QString& port, const kav::session::SavedMemory& saved,
                 const QString& command, InterruptNotifier* interrupt, QString* why) {
    kav::link::SerialTransport transport;
    CommandSession run(transport, command);
    DownloadSession& session = run.session();
    QObject::connect(&session, &DownloadSession::ready, &run, [&run, &session, saved] {
        if (!session.clearIfSame(saved))
            run.fail(kExitIoError, QStringLiteral("the clear could not be sent"));
    });
    QObject::connect(&session, &DownloadSession::clearEnded, &run,
                     [&run](const kav::session::ClearReport& report) {
                         if (report.result == kav::session::ClearReport::Result::Cleared)
                             return run.end();
                         run.fail(kExitFailure, report.why);
                     });
    run.start(port, DownloadSession::Goal::Command);
    if (run.wait(interrupt) == kExitOk) return true;
    *why = run.error();
    return false;
}

// The sectors the logger reports as used, -1 when it does not answer.
int sectorsUsed(const QString& port, const QString& command, InterruptNotifier* interrupt,
                QString* why) {
    kav::link::SerialTransport transport;
    CommandSession run(transport, command);
    int used = -1;
    QObject::connect(
        &run.session(), &DownloadSession::statusReceived, &run,
        [&used](const kav::link::LogStatus& status) { used = status.SectorsToDownload; });
    QObject::connect(&run.session(), &DownloadSession::ready, &run, [&run] { run.end(); });
    run.start(port, DownloadSession::Goal::Identify);
    if (run.wait(interrupt) != kExitOk) *why = run.error();
    return used;
}

}  // namespace

bool clearAndConfirm(const QString& port, const kav::session::SavedMemory& saved,
                     const QString& command, InterruptNotifier* interrupt, QString* why) {
    if (!clearMemory(port, saved, command, interrupt, why)) return false;
    const int used = sectorsUsed(port, command, interrupt, why);
    if (used == 0) return true;
    if (used > 0)
        *why = QStringLiteral("the logger still reports %1 sectors used after the clear").arg(used);
    else if (why->isEmpty())
        *why = QStringLiteral("the logger did not confirm the clear");
    return false;
}

}  // namespace kav::cli
