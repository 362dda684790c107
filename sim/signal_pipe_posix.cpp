#include <fcntl.h>
#include <unistd.h>

#include <csignal>

#include "signal_pipe.h"

namespace kav::sim {
namespace {

// The handler may only write to the pipe; the descriptors are fixed once installed.
int pipeFds[2] = {-1, -1};

extern "C" void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(pipeFds[1], &byte, 1);
}

}  // namespace

SignalPipe::SignalPipe(QObject* parent) : QObject(parent) {}

SignalPipe::~SignalPipe() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

bool SignalPipe::install() {
    if (pipeFds[0] >= 0 || ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(pipeFds[0], buffer, sizeof buffer) > 0) {
        }
        emit terminationRequested();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

}  // namespace kav::sim
