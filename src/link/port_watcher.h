#pragma once
// Notices serial ports that arrive and go away by comparing the port list on a short timer. A
// port whose device was replaced between two polls (same name, another identity) is reported
// as removed and arrived again, so a quick swap is never missed.

#include <functional>

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

namespace kav::link {

class PortWatcher : public QObject {
    Q_OBJECT
  public:
    using Lister = std::function<QStringList()>;
    using Identifier = std::function<QString(const QString& name)>;
    // lister defaults to availablePorts(), identifier to portIdentity().
    explicit PortWatcher(Lister lister = {}, int intervalMs = 500, QObject* parent = nullptr,
                         Identifier identifier = {});

    void start();
    void stop();
    // Compares the current list with the last one and emits the differences now.
    void poll();

  signals:
    void portArrived(const QString& name);
    void portRemoved(const QString& name);

  private:
    struct Snapshot {
        QStringList names;                   // in the lister's order
        QHash<QString, QString> identities;  // name -> identity
        bool holds(const QString& name, const QString& identity) const {
            return identities.contains(name) && identities.value(name) == identity;
        }
    };
    Snapshot snapshot() const;

    Lister lister_;
    Identifier identifier_;
    Snapshot known_;
    QTimer timer_;
};

}  // namespace kav::link
