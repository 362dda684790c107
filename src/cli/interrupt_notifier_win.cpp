// Windows side: a console control handler, which Windows runs on a thread of its own, posts
// Ctrl+C and Ctrl+Break to the Qt thread; the notifier is found and told there.

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
void (*g_deliver)() = nullptr;

BOOL WINAPI onConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;  // default handling
    QMetaObject::invokeMethod(QCoreApplication::instance(), g_deliver, Qt::QueuedConnection);
    return TRUE;
}
}  // namespace

InterruptNotifier::InterruptNotifier(QObject* parent) : QObject(parent) {
    if (g_notifier) return;
    g_notifier = this;
    g_deliver = [] {
        if (g_notifier) g_notifier->onReadable();
    };
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

InterruptNotifier::~InterruptNotifier() {
    if (g_notifier != this) return;
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
    g_notifier = nullptr;
}

void InterruptNotifier::onReadable() {
    interrupted_ = true;
    emit interrupt();
}

}  // namespace kav::cli
