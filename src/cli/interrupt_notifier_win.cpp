// Windows side: a console control handler, which Windows runs on a thread of its own, posts the
// event to the Qt thread; the notifier is found and told there. Windows ends the process once
// the handler returns from a close, logoff or shutdown event, so the handler then waits for the
// notifier to go (what was read is saved by then), as long as Windows allows.

#include <windows.h>

#include <QCoreApplication>
#include <QMetaObject>

#include "cli/interrupt_notifier.h"

namespace kav::cli {

namespace {
// The live notifier, read and written on the Qt thread only.
InterruptNotifier* g_notifier = nullptr;
// Tells g_notifier; set once by the constructor (which may reach its private parts) before the
// handler is installed, and never changed afterwards.
void (*g_deliver)(bool fromKeyboard) = nullptr;
// Set when the notifier goes: the command has ended.
HANDLE g_ended = nullptr;
constexpr DWORD kEndWaitMs = 4500;  // Windows allows 5 s after a close event

BOOL WINAPI onConsoleControl(DWORD type) {
    const bool keyboard = type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT;
    const bool closing =
        type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT;
    if (!keyboard && !closing) return FALSE;  // default handling
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [keyboard] { g_deliver(keyboard); }, Qt::QueuedConnection);
    if (closing) WaitForSingleObject(g_ended, kEndWaitMs);
    return TRUE;
}
}  // namespace

InterruptNotifier::InterruptNotifier(QObject* parent) : QObject(parent) {
    if (g_notifier) return;
    g_notifier = this;
    g_deliver = [](bool fromKeyboard) {
        if (g_notifier) g_notifier->deliver(fromKeyboard);
    };
    if (!g_ended) g_ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ResetEvent(g_ended);
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

InterruptNotifier::~InterruptNotifier() {
    if (g_notifier != this) return;
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
    g_notifier = nullptr;
    SetEvent(g_ended);
}

void InterruptNotifier::deliver(bool fromKeyboard) {
    interrupted_ = true;
    emit interrupt(fromKeyboard);
}

}  // namespace kav::cli
