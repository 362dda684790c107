#pragma once
// Turns SIGINT and SIGTERM into a Qt signal through a self-pipe.

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

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace kav::sim
