#pragma once
// The text lines a logger streams while its output is on ($GPGGA and $GPRMC, CR LF ended).

#include <QByteArray>
#include <cstdint>

namespace kav::sim {

// The lines for one second of the day (0..86399), at a fixed position near Annecy.
QByteArray nmeaLines(int64_t secondOfDay);

}  // namespace kav::sim
