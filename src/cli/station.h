#pragma once
// The download station behind `watch`: every logger plugged in is read at once, each on its own
// port in a thread of its own (a slow disk or a long decode for one never holds up another's
// line), one line per logger on standard output when it is done.

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

#include "cli/download_job.h"
#include "link/port_watcher.h"

class QThread;

namespace kav::cli {

class InterruptNotifier;
class PilotList;

class Station : public QObject {
    Q_OBJECT
  public:
    // Each logger's job is made from model (its port set); pilots may be null.
    Station(DownloadJob model, const PilotList* pilots, QString command,
            InterruptNotifier& interrupt);
    ~Station() override;

    // Serves loggers until interrupted and every job has ended; returns the worst status.
    int run();
    // At the end of the run, also saves every IGC file written into one zip at path.
    void collectIgcInto(const QString& path) { zipPath_ = path; }

  signals:
    void jobEnded();

  private:
    void onArrived(const QString& port);
    void startJob(const QString& port);
    void onProgress(const QString& port, int sectorsRead, int sectorsToRead);
    void onJobDone(const QString& port, int status, const JobReport& report);
    void onThreadEnded(const QString& port);
    void reportUnlisted() const;
    int saveTaskZip() const;

    DownloadJob model_;
    const PilotList* pilots_;
    QString command_;
    InterruptNotifier& interrupt_;
    kav::link::PortWatcher watcher_;
    SavedMemories saved_;
    QHash<QString, QThread*> running_;
    QSet<QString> pending_;  // plugged in again while the job of the port before still ends
    QHash<QString, int> shownTenths_;  // port -> progress shown so far, in tenths
    QStringList unlisted_;             // serial numbers the pilots file does not name
    QString zipPath_;
    QStringList igcFiles_;  // every IGC file written in this run
    int worst_ = 0;
};

}  // namespace kav::cli
