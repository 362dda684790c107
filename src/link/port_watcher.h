#pragma once
// Notices serial ports that arrive and go away by comparing the port list on a short timer.

#include <functional>

#include <QObject>
#include <QStringList>
#include <QTimer>

namespace kav::link {

class PortWatcher : public QObject {
    Q_OBJECT
  public:
    using Lister = std::function<QStringList()>;
    // lister defaults to availablePorts().
    explicit PortWatcher(Lister lister = {}, int intervalMs = 500, QObject* parent = nullptr);

    void start();
    void stop();
    // Compares the current list with the last one and emits the differences now.
    void poll();

  signals:
    void portArrived(const QString& name);
    void portRemoved(const QString& name);

  private:
    Lister lister_;
    QStringList known_;
    QTimer timer_;
};

}  // namespace kav::link
