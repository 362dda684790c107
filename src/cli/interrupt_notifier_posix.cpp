// POSIX side: a signal handler writes the signal's number into a socket pair that the event loop
// watches. (interrupt_notifier_win.cpp is the Windows side.)

#include <csignal>

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>

#include "cli/interrupt_notifier.h"

namespace kav::cli {

namespace {
// A signal handler can only reach a global; it is set while a notifier exists.
int g_signalFds[2] = {-1, -1};

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void onSignal(int number) {
    const char byte = char(number);
    if (g_signalFds[0] >= 0) (void)!::write(g_signalFds[0], &byte, 1);
}

void setHandler(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kSignals) sigaction(number, &action, nullptr);
}
}  // namespace

InterruptNotifier::InterruptNotifier(QObject* parent) : QObject(parent) {
    if (g_signalFds[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalFds) != 0) return;
    notifier_ = new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &InterruptNotifier::onReadable);
    setHandler(onSignal);
}

InterruptNotifier::~InterruptNotifier() {
    if (!notifier_) return;
    setHandler(SIG_DFL);
    delete notifier_;
    ::close(g_signalFds[0]);
    ::close(g_signalFds[1]);
    g_signalFds[0] = g_signalFds[1] = -1;
}

void InterruptNotifier::onReadable() {
    char byte = 0;
    (void)!::read(g_signalFds[1], &byte, 1);
    deliver(byte == SIGINT);
}

void InterruptNotifier::deliver(bool fromKeyboard) {
    interrupted_ = true;
    emit interrupt(fromKeyboard);
}

}  // namespace kav::cli
