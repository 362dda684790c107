#pragma once
// Turns SIGINT, SIGTERM and SIGHUP (Ctrl+C, Ctrl+Break and the console's close, logoff and
// shutdown events on Windows) into a Qt signal, so a command can end cleanly from the event loop.

#include <atomic>

#include <QObject>

class QSocketNotifier;

namespace kav::cli {

class InterruptNotifier : public QObject {
    Q_OBJECT
  public:
    explicit InterruptNotifier(QObject* parent = nullptr);
    ~InterruptNotifier() override;  // restores the default handling

    // Read by the station's worker threads as well.
    bool interrupted() const { return interrupted_.load(); }

  signals:
    // fromKeyboard: Ctrl+C or Ctrl+Break, which a user may press again to hurry the end.
    void interrupt(bool fromKeyboard);

  private:
    void deliver(bool fromKeyboard);
#ifndef Q_OS_WIN
    void onReadable();  // the signal handler's byte has come
    QSocketNotifier* notifier_ = nullptr;
#endif
    std::atomic<bool> interrupted_{false};
};

}  // namespace kav::cli
