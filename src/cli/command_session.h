#pragma once
// A download session as one command runs it: started on a port, with an optional byte trace,
// run in the event loop until the command ends it with an exit status, Ctrl+C, SIGTERM or SIGHUP
// stopping a running download (what was read is kept) and ending anything else. The session's
// messages are printed as it gives them (each kind once, with a count at the end).

#include <functional>
#include <optional>

#include <QObject>
#include <QString>

#include "cli/exit_status.h"
#include "link/byte_trace.h"
#include "session/download_session.h"

class QCommandLineOption;

namespace kav::cli {

class InterruptNotifier;

class CommandLine;

// --trace FILE, for the commands that talk to a logger.
QCommandLineOption traceOption();
// --speed standard|fast|fastest, for the commands that read the memory.
QCommandLineOption speedOption();
// The --speed given (fast when none); nullopt after a usage error.
std::optional<kav::session::TransferSpeed> speedFrom(CommandLine& cl);

class CommandSession : public QObject {
    Q_OBJECT
  public:
    CommandSession(kav::link::Transport& transport, const QString& command,
                   kav::link::LinkTimings timings = {});

    kav::session::DownloadSession& session() { return session_; }
    // "kav-skytraq-cli <command>: ", the start of every message line.
    const QString& prefix() const { return prefix_; }

    // Traces every byte into path (nothing when empty); false after saying why.
    bool traceTo(const QString& path);
    // The exit status of a run and its one-line reason.
    struct Verdict {
        int status = kExitOk;
        QString error;
    };
    // Words the end of the run from its report; nullopt when the command's goal was not
    // reached, so that the link's failure (or the port's) gives the status.
    using Judge = std::function<std::optional<Verdict>(const kav::session::RunReport&)>;
    void judgeBy(Judge judge) { judge_ = std::move(judge); }

    // Connects and works towards goal; a port that does not open ends the run at once.
    void start(const QString& port, kav::session::DownloadSession::Goal goal);
    // Asks the session to end the run, disconnecting the logger: the judge words its end.
    void end();
    // The same with a verdict that overrides the judge's: an exit status and its reason. Only
    // the first counts; the command ends once the session reports the run's end.
    void fail(int status, const QString& error);
    // Runs the event loop until the run has ended; returns its exit status.
    int wait(InterruptNotifier* interrupt);
    // Prints why the run failed, if it did; returns its exit status.
    int report() const;
    const QString& error() const { return error_; }
    bool interrupted() const { return interrupted_; }

  signals:
    void ended();

  private:
    void onInterrupt(bool fromKeyboard);
    void onRunEnded(const kav::session::RunReport& report);
    Verdict verdictOf(const kav::session::RunReport& report) const;
    void onNotice(const QString& text);

    kav::link::Transport& transport_;
    kav::session::DownloadSession session_;
    kav::link::ByteTrace trace_;
    QString prefix_;
    QString port_;
    Judge judge_;
    std::optional<Verdict> verdict_;  // asked for by the command before the end
    bool ended_ = false;
    bool interrupted_ = false;
    QString error_;
    int status_ = kExitOk;
};

// Success once the logger's identity and status were read (info and the like).
std::optional<CommandSession::Verdict> identifiedVerdict(const kav::session::RunReport& report);

}  // namespace kav::cli
