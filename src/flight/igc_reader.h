#pragma once
// Reads the fixes of an IGC flight record, as loggers and phones in the field write them: any
// mix of CR and LF line ends, trailing blanks, no A record, records of every other type,
// repeated fixes and the UTC day turning over at midnight.

#include <QByteArray>
#include <QString>
#include <vector>

#include "flight/flight_fix.h"

namespace kav::flight {

struct IgcRead {
    std::vector<FlightFix> fixes;  // in time order, one per second at most
    QString error;                 // why there are none
    int skipped = 0;               // B records that could not be read or were repeats
};

IgcRead readIgc(const QByteArray& text);

}  // namespace kav::flight
