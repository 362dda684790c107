#pragma once
// One download against the in-process emulator through the real serial stack, with what the
// user would see (the link's signals) and what is kept (sectors, decoded fixes, tracks).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "link/logger_link.h"
#include "link/serial_transport.h"
#include "log/track_list.h"
#include "sim/emulator.h"

namespace kav::reliability {

// What the user does while the download runs, once the given sector has been stored.
enum class MidAction { None, Reconnect, ClearMemory };

enum class Outcome { Finished, Failed, PortLost, Hung };
const char* outcomeText(Outcome outcome);

struct Scenario {
    const char* name;
    const char* what;  // the fault in a few words, for the report
    QStringList faults;
    bool continuousOutput = false;
    MidAction action = MidAction::None;
    int actionAfterSector = 2;
};

class ReliabilitySession {
  public:
    explicit ReliabilitySession(const Scenario& scenario);

    // Connects by the announced name and runs the event loop until the download ends,
    // fails or the port is lost, or limitMs passes (a hang).
    Outcome run(int limitMs);

    const QByteArray& image() const { return image_; }
    const QList<int>& sectors() const { return sectors_; }
    const QList<QByteArray>& sectorData() const { return data_; }
    const log::LogCollection& collection() const { return collection_; }
    // Every message, failure and port loss reported, in order, as "kind: text".
    const QStringList& shown() const { return shown_; }
    int connects() const { return connects_; }
    bool actionAccepted() const { return actionAccepted_; }

  private:
    void onSector(int sector, const QByteArray& data);
    void act();

    Scenario scenario_;
    QByteArray image_;
    sim::Emulator emulator_;
    link::SerialTransport transport_;
    link::LoggerLink link_;
    log::LogCollection collection_;
    QList<int> sectors_;
    QList<QByteArray> data_;
    QStringList shown_;
    int connects_ = 0;
    bool acted_ = false;
    bool actionAccepted_ = false;
};

}  // namespace kav::reliability
