// info: the logger's identity, memory use and logging criteria, without reading the memory.

#include "cli/cli_app.h"
#include "cli/command_line.h"
#include "cli/command_session.h"
#include "cli/console.h"
#include "cli/interrupt_notifier.h"
#include "link/sector_plan.h"
#include "link/serial_transport.h"

namespace kav::cli {

namespace {

void printIdentity(const kav::session::LoggerIdentity& id) {
    const kav::link::LogStatus& s = id.status;
    printOut(QStringLiteral("Port: %1").arg(id.port));
    printOut(QStringLiteral("Firmware: %1").arg(id.versionLabel));
    printOut(QStringLiteral("Kernel: %1").arg(id.hardware));
    printOut(QStringLiteral("Serial number: %1").arg(id.serialNumber));
    printOut(QStringLiteral("Sectors used: %1 of %2").arg(s.SectorsToDownload).arg(s.totalSectors));
    printOut(QStringLiteral("Sectors a download reads: %1 (the sector being written included)")
                 .arg(kav::link::sectorsToRead(s)));
    printOut(QStringLiteral("Log every: %1")
                 .arg(s.timeMin == 0 ? QStringLiteral("%1 m").arg(s.distMin)
                                     : QStringLiteral("%1 s").arg(s.timeMin)));
    printOut(QStringLiteral("Minimum time: %1 s").arg(s.timeMin));
    printOut(QStringLiteral("Maximum time: %1 s").arg(s.timeMax));
    printOut(QStringLiteral("Minimum distance: %1 m").arg(s.distMin));
    printOut(QStringLiteral("Maximum distance: %1 m").arg(s.distMax));
    printOut(QStringLiteral("Minimum speed: %1 km/h").arg(s.speedMin));
    printOut(QStringLiteral("Maximum speed: %1 km/h").arg(s.speedMax));
    printOut(QStringLiteral("Logging: %1")
                 .arg(s.logging ? QStringLiteral("on") : QStringLiteral("off")));
}

}  // namespace

int runInfo(const QStringList& args) {
    CommandLine cl(QStringLiteral("info"), QStringLiteral("--port P [--trace FILE]"),
                   QStringLiteral("Shows the logger's firmware, serial number, memory use and "
                                  "logging criteria. The memory is not read."));
    cl.add(portOption());
    cl.add(traceOption());
    if (const auto done = cl.parse(args)) return *done;
    const auto port = cl.required(QStringLiteral("port"));
    if (!port) return kExitUsage;

    InterruptNotifier interrupt;
    kav::link::SerialTransport transport;
    CommandSession run(transport, cl.name());
    if (!run.traceTo(cl.parser().value(QStringLiteral("trace")))) return kExitCannotWrite;
    using kav::session::DownloadSession;
    run.judgeBy(identifiedVerdict);
    run.start(*port, DownloadSession::Goal::Identify);
    if (run.wait(&interrupt) != kExitOk) return run.report();
    printIdentity(run.session().identity());
    return kExitOk;
}

}  // namespace kav::cli
