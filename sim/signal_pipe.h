#pragma once
// Turns SIGINT and SIGTERM, and SIGUSR1, into Qt signals through a self-pipe.

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace kav::sim {

class SignalPipe : public QObject {
    Q_OBJECT
  public:
    explicit SignalPipe(QObject* parent = nullptr);
    ~SignalPipe() override;
    bool install();  // one instance per process

  signals:
    void terminationRequested();
    void powerCycleRequested();  // SIGUSR1

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace kav::sim
