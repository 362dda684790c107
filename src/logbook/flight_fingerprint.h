#pragma once
// A flight's fingerprint: a SHA-256 digest of its fixes as the logger stored them (GPS week,
// time of week, ECEF position, speed) from take-off to landing. The same memory read again,
// read with more flights after it, or opened from a raw copy gives the same fixes and so the
// same digest; two different flights never share all their fixes. With the logger's serial
// number it is the flight's identity in the logbook.

#include <cstddef>

#include <QString>

#include "log/fix_types.h"

namespace kav::logbook {

// Hex digest of fixes takeoff..landing (log indices, both included, clipped to log).
QString flightFingerprint(const kav::log::LogData& log, std::size_t takeoff, std::size_t landing);

}  // namespace kav::logbook
