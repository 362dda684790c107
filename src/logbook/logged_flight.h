#pragma once
// One flight as the logbook keeps it: who logged it, when, its statistics, score and files.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "flight/flight_score.h"
#include "flight/flight_stats.h"

namespace kav::logbook {

struct LoggedFlight {
    QString fingerprint;   // the same flight read again has the same one
    QString serialNumber;  // the logger's; empty when unknown
    QDateTime takeoff;     // UTC, whole seconds
    QDateTime landing;
    kav::flight::FlightStats stats;
    kav::flight::FlightScore score;
    QStringList files;  // the files written for the flight
    // The statistics and score were computed; a flight the logbook held already need not be.
    bool measured = true;
};

}  // namespace kav::logbook
