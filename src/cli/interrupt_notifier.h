#pragma once
// Turns SIGINT and SIGTERM (Ctrl+C and Ctrl+Break on Windows) into a Qt signal, so a command can
// end cleanly from the event loop.

#include <QObject>

class QSocketNotifier;

namespace kav::cli {

class InterruptNotifier : public QObject {
    Q_OBJECT
  public:
    explicit InterruptNotifier(QObject* parent = nullptr);
    ~InterruptNotifier() override;  // restores the default handling

    bool interrupted() const { return interrupted_; }

  signals:
    void interrupt();

  private:
    void onReadable();
    QSocketNotifier* notifier_ = nullptr;
    bool interrupted_ = false;
};

}  // namespace kav::cli
