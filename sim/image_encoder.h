#pragma once
// Encodes fixes into the logger's flash layout: the exact inverse of the datalog decoder.
// Each sector opens with a full record (18 bytes); a fix whose time step (0..65535 s, same
// week) and ECEF steps (-512..511 m each) fit follows as a compact record (8 bytes); records
// never straddle a sector and the rest of each sector is 0xFF filler.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "log/fix_types.h"

namespace kav::sim {

using FullRecord = std::array<uint8_t, 18>;
using CompactRecord = std::array<uint8_t, 8>;

// nullopt when the fix cannot be stored: week outside 2048..3071, time of week beyond
// 20 bits, speed beyond 10 bits or a coordinate outside -2147483647..2147483647.
std::optional<FullRecord> encodeFull(const log::TDataECEF& fix);

// nullopt when fix cannot follow previous as a compact record.
std::optional<CompactRecord> encodeCompact(const log::TDataECEF& previous,
                                           const log::TDataECEF& fix);

// Whole sectors holding every fix in order; empty with error set when a fix cannot be stored.
QByteArray encodeFixes(std::span<const log::TDataECEF> fixes, QString* error = nullptr);

struct Ecef {
    double x = 0, y = 0, z = 0;
};

// WGS84 latitude and longitude in degrees, height above the ellipsoid in metres.
Ecef geodeticToEcef(double latDeg, double lonDeg, double height);

}  // namespace kav::sim
