#pragma once
// Builds LogCollections for the browse tests from datalog sectors encoded here.

#include <cstdint>
#include <vector>

#include "log/track_list.h"

namespace kav::browse::testing {

constexpr uint16_t kWeek = 2050;
// GPS time of week of UTC midnight at the start of the week's Monday.
constexpr uint32_t kMondayMidnight = 86400 + 18;

// One track: fixes every step seconds from startTow up to startTow + seconds (both included).
struct TrackSpan {
    uint32_t startTow = 0;
    uint32_t seconds = 0;
    uint32_t step = 10;
};

// The 18 bytes of a full record for the given time and ECEF position (metres, non-negative).
std::vector<uint8_t> fullRecord(uint32_t tow, uint32_t x, uint32_t y, uint32_t z);

// The tracks' fixes packed into 4096-byte sectors (filler at the end of each) and fed to a
// LogCollection one sector at a time. The caller leaves more than 20 s between tracks.
kav::log::LogCollection makeLog(const std::vector<TrackSpan>& tracks);

}  // namespace kav::browse::testing
