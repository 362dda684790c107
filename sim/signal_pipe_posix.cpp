#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "signal_pipe.h"

namespace kav::sim {
namespace {

// The handler may only write to the pipe; the descriptors are fixed once installed.
int pipeFds[2] = {-1, -1};

extern "C" void onSignal(int signal) {
    const int savedErrno = errno;  // the interrupted code may be about to read it
    const char byte = char(signal);
    [[maybe_unused]] const auto n = ::write(pipeFds[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

SignalPipe::SignalPipe(QObject* parent) : QObject(parent) {}

SignalPipe::~SignalPipe() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGUSR1, SIG_DFL);
}

bool SignalPipe::install() {
    if (pipeFds[0] >= 0 || ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        qsizetype n = 0;
        while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
            for (qsizetype i = 0; i < n; ++i) {
                if (buffer[i] == SIGUSR1)
                    emit powerCycleRequested();
                else
                    emit terminationRequested();
            }
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;  // a power cycle must not fail a system call in progress
    sigemptyset(&action.sa_mask);
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0 &&
           sigaction(SIGUSR1, &action, nullptr) == 0;
}

}  // namespace kav::sim
