#include "cli/command_session.h"

#include <QCommandLineOption>
#include <QEventLoop>

#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/interrupt_notifier.h"
#include "link/open_failure_text.h"

namespace kav::cli {

using kav::session::DownloadSession;

QCommandLineOption traceOption() {
    return {QStringLiteral("trace"),
            QStringLiteral("Write every byte exchanged with the logger, with timestamps, to FILE "
                           "(appended), for reporting a problem."),
            QStringLiteral("FILE")};
}

QCommandLineOption speedOption() {
    return {QStringLiteral("speed"),
            QStringLiteral("standard (115200 baud, one sector a request), fast (230400 baud, "
                           "%1 sectors a request) or fastest (921600 baud); default fast. A "
                           "logger that cannot keep up is read at standard speed.")
                .arg(kav::session::kSectorsPerBlock),
            QStringLiteral("S"), QStringLiteral("fast")};
}

std::optional<kav::session::TransferSpeed> speedFrom(CommandLine& cl) {
    const QString name = cl.parser().value(QStringLiteral("speed"));
    const auto speed = kav::session::transferSpeedFromName(name);
    if (!speed)
        cl.usageError(
            QStringLiteral("--speed takes standard, fast or fastest, not '%1'").arg(name));
    return speed;
}

CommandSession::CommandSession(kav::link::Transport& transport, const QString& command,
                               kav::link::LinkTimings timings)
    : transport_(transport),
      session_(transport, timings),
      prefix_(QStringLiteral("kav-skytraq-cli %1: ").arg(command)) {
    connect(&session_, &DownloadSession::notice, this, &CommandSession::onNotice);
    connect(&session_, &DownloadSession::noticesNotShown, this, &CommandSession::onNotice);
    // The link giving up, or the port going, ends the run: its report says why.
    connect(&session_, &DownloadSession::runEnded, this, &CommandSession::onRunEnded);
    connect(&session_, &DownloadSession::lineRateChanged, this,
            [this](int baud, const QString& why) {
                if (!why.isEmpty())
                    printErr(prefix_ + QStringLiteral("%1; reading at %2 baud, one sector a "
                                                      "request")
                                           .arg(why)
                                           .arg(baud));
            });
    connect(&session_, &DownloadSession::loggerFoundAt, this,
            [this](int baud) { printErr(prefix_ + kav::session::foundAtText(baud)); });
}

bool CommandSession::traceTo(const QString& path) {
    if (path.isEmpty()) return true;
    QString error;
    if (!trace_.open(path, &error)) {
        printErr(prefix_ + error);
        return false;
    }
    session_.setTrace(&trace_);
    return true;
}

void CommandSession::start(const QString& port, DownloadSession::Goal goal) {
    port_ = port;
    session_.start(port, goal);
}

void CommandSession::end() {
    if (!ended_) session_.disconnect();
}

void CommandSession::fail(int status, const QString& error) {
    if (ended_ || verdict_) return;
    verdict_ = Verdict{status, error};
    session_.disconnect();
}

// The command's end: the verdict it asked for, else its judge's, else the link's own.
void CommandSession::onRunEnded(const kav::session::RunReport& report) {
    if (ended_) return;
    ended_ = true;
    const Verdict verdict = verdictOf(report);
    status_ = verdict.status;
    error_ = verdict.error;
    session_.disconnect();
    emit ended();
}

CommandSession::Verdict CommandSession::verdictOf(const kav::session::RunReport& report) const {
    using kav::link::OpenResult;
    if (verdict_) return *verdict_;
    if (report.opened != OpenResult::Ok)
        return {exitStatusFor(report.opened),
                kav::link::openFailureText(report.opened, port_, transport_.errorString())};
    if (judge_)
        if (const std::optional<Verdict> judged = judge_(report)) return *judged;
    if (report.end.failure)
        return {exitStatusFor(report.end.failure->kind), failureText(*report.end.failure)};
    if (report.end.kind == kav::link::EndKind::Complete) return {};
    return {kExitUnavailable, QStringLiteral("the run ended before the logger answered")};
}

int CommandSession::wait(InterruptNotifier* interrupt) {
    if (ended_) return status_;
    QEventLoop loop;
    connect(this, &CommandSession::ended, &loop, &QEventLoop::quit);
    if (interrupt) {
        connect(interrupt, &InterruptNotifier::interrupt, this, &CommandSession::onInterrupt);
        if (interrupt->interrupted()) onInterrupt(false);
    }
    if (!ended_) loop.exec();
    return status_;
}

int CommandSession::report() const {
    if (!error_.isEmpty()) printErr(prefix_ + error_);
    return status_;
}

// The first signal lets a running download end after the sector in flight; a second Ctrl+C, or
// a signal outside a download, ends at once. SIGTERM and SIGHUP never hurry a clean end: a
// terminal that closes sends SIGHUP twice.
void CommandSession::onInterrupt(bool fromKeyboard) {
    const bool again = interrupted_;
    interrupted_ = true;
    if (again && !fromKeyboard) return;
    if (!again && session_.downloading()) {
        printErr(prefix_ + QStringLiteral("stopping after the sectors being read") +
                 (fromKeyboard ? QStringLiteral(" (Ctrl+C again to stop at once)") : QString()));
        session_.stop();
        return;
    }
    fail(kExitInterrupted, QStringLiteral("interrupted"));
}

std::optional<CommandSession::Verdict> identifiedVerdict(const kav::session::RunReport& report) {
    if (!report.identified) return std::nullopt;
    return CommandSession::Verdict{};
}

// The session shows each kind of message once and counts the others.
void CommandSession::onNotice(const QString& text) {
    printErr(prefix_ + text);
}

}  // namespace kav::cli
