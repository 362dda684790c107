#pragma once
// Decoding of the logger's datalog records (full, compact, filler) and the sector walk.

#include <cstddef>
#include <cstdint>
#include <span>

#include "fix_types.h"

namespace kav::log {

constexpr std::size_t kSectorSize = 4096;
constexpr std::size_t kFullRecordSize = 18;
constexpr std::size_t kCompactRecordSize = 8;

// Decodes the 18 bytes of one full record (kind 2 or 3).
void DecodeFixFull(const uint8_t* Data, TDataECEF& dECEF);

// Decodes the 8 bytes of one compact record against the previous fix (taken by value,
// so dref may be the very record dECEF names).
void DecodeFixCompact(TDataECEF dref, const uint8_t* Data, TDataECEF& dECEF);

// Walks the records of one sector's bytes and appends every decoded fix to log.
// A compact record with no previous fix is skipped; a record running past the bytes ends the walk.
// Returns the number of fixes appended.
std::size_t walkSector(std::span<const uint8_t> bytes, LogData& log);

}  // namespace kav::log
