// config: send new logging criteria, as the Logger configuration dialog does.

#include "cli/cli_app.h"
#include "cli/command_line.h"
#include "cli/command_session.h"
#include "cli/config_rules.h"
#include "cli/console.h"
#include "cli/interrupt_notifier.h"
#include "link/serial_transport.h"

namespace kav::cli {

namespace {

// Reads a criterion option into target; reports a usage error otherwise.
bool numberOption(CommandLine& cl, const QString& name, uint64_t& target) {
    QString error;
    const auto value = parseCriterion(name, cl.parser().value(name), &error);
    if (!value) {
        cl.usageError(error);
        return false;
    }
    target = *value;
    return true;
}

std::optional<ConfigRequest> configRequest(CommandLine& cl) {
    const QCommandLineParser& p = cl.parser();
    const bool seconds = p.isSet(QStringLiteral("every-seconds"));
    const bool metres = p.isSet(QStringLiteral("every-metres"));
    if (seconds == metres)
        return cl.usageError(QStringLiteral("give one of --every-seconds and --every-metres")),
               std::nullopt;
    ConfigRequest request;
    request.every = seconds ? LogEvery::Seconds : LogEvery::Metres;
    if (!numberOption(cl,
                      seconds ? QStringLiteral("every-seconds") : QStringLiteral("every-metres"),
                      request.amount))
        return std::nullopt;
    if (p.isSet(QStringLiteral("min-speed"))) {
        uint64_t speed = 0;
        if (!numberOption(cl, QStringLiteral("min-speed"), speed)) return std::nullopt;
        request.minSpeed = speed;
    }
    if (p.isSet(QStringLiteral("log"))) {
        const QString log = p.value(QStringLiteral("log"));
        if (log != QStringLiteral("on") && log != QStringLiteral("off"))
            return cl.usageError(QStringLiteral("--log takes on or off")), std::nullopt;
        request.logging = log == QStringLiteral("on");
    }
    return request;
}

}  // namespace

int runConfig(const QStringList& args) {
    CommandLine cl(
        QStringLiteral("config"),
        QStringLiteral("--port P (--every-seconds N | --every-metres N) [--min-speed N] "
                       "[--log on|off] [--trace FILE]"),
        QStringLiteral("Asks the logger for its status, then sends new logging criteria and "
                       "prints its answer; the memory is not read. Each value is 0 to 65535: "
                       "a larger one is refused before the port is opened. Logging by time "
                       "sends a minimum distance of 0; by distance, a minimum time of 0 and "
                       "50 m for 0 m. The maximum time, distance and speed, and the minimum "
                       "speed and logging switch when not given, are the logger's own, from "
                       "its status."));
    cl.add(portOption());
    cl.add(traceOption());
    cl.add({QStringLiteral("every-seconds"), QStringLiteral("Log a position every N seconds."),
            QStringLiteral("N")});
    cl.add({QStringLiteral("every-metres"), QStringLiteral("Log a position every N metres."),
            QStringLiteral("N")});
    cl.add({QStringLiteral("min-speed"), QStringLiteral("Minimum speed in km/h."),
            QStringLiteral("N")});
    cl.add({QStringLiteral("log"), QStringLiteral("Logging on or off."), QStringLiteral("on|off")});
    if (const auto done = cl.parse(args)) return *done;
    const auto port = cl.required(QStringLiteral("port"));
    if (!port) return kExitUsage;
    const std::optional<ConfigRequest> request = configRequest(cl);
    if (!request) return kExitUsage;

    InterruptNotifier interrupt;
    kav::link::SerialTransport transport;
    CommandSession run(transport, cl.name());
    if (!run.traceTo(cl.parser().value(QStringLiteral("trace")))) return kExitCannotWrite;
    using kav::session::DownloadSession;
    DownloadSession& session = run.session();
    QObject::connect(&session, &DownloadSession::ready, &run, [&] {
        if (!session.sendCriteria(criteriaFor(*request, session.identity().status)))
            run.fail(kExitIoError, QStringLiteral("the criteria could not be sent"));
    });
    QObject::connect(&session, &DownloadSession::configurationAnswered, &run,
                     [&run](const QString& text) {
                         printOut(text);
                         run.end();
                     });
    run.judgeBy(
        [](const kav::session::RunReport& report) -> std::optional<CommandSession::Verdict> {
            if (!report.criteriaAccepted) return std::nullopt;
            if (*report.criteriaAccepted) return CommandSession::Verdict{};
            return CommandSession::Verdict{kExitProtocol,
                                           QStringLiteral("the logger refused the criteria")};
        });
    run.start(*port, DownloadSession::Goal::Command);
    run.wait(&interrupt);
    return run.report();
}

}  // namespace kav::cli
