#pragma once
// Builds datalog record bytes for the tests (the inverse of the decoders).

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "log/fix_types.h"

namespace kav::log::testing {

using Bytes = std::vector<uint8_t>;

inline void putCoordinate(Bytes& b, int64_t c) {
    const uint32_t raw = c >= 0 ? uint32_t(c) : uint32_t(int64_t(0xFFFFFFFFu) + c);
    for (uint32_t v : {raw >> 8, raw, raw >> 24, raw >> 16}) b.push_back(uint8_t(v));
}

// A full record (kind 2) holding the fix; the week is stored as its low 10 bits.
inline Bytes fullRecord(const TDataECEF& f) {
    const uint32_t week = f.WeekNumber & 0x3FF, tow = f.TimeOfWeek & 0xFFFFF;
    Bytes b{uint8_t(0x40 | (f.Velocity >> 8 & 0x03)),
            uint8_t(f.Velocity),
            uint8_t((tow & 0x0F) << 4 | week >> 8),
            uint8_t(week),
            uint8_t(tow >> 12),
            uint8_t(tow >> 4)};
    for (int64_t c : {f.ECEF_X, f.ECEF_Y, f.ECEF_Z}) putCoordinate(b, c);
    return b;
}

inline uint32_t rawStep(int step) {
    return step >= 0 ? uint32_t(step) : uint32_t(511 - step);
}

// A compact record (kind 4): time step and position steps of -512..511 metres.
inline Bytes compactRecord(uint16_t dT, int dX, int dY, int dZ, uint16_t speed = 0) {
    const uint32_t x = rawStep(dX), y = rawStep(dY), z = rawStep(dZ);
    return {uint8_t(0x80 | (speed >> 8 & 0x03)),
            uint8_t(speed),
            uint8_t(dT >> 8),
            uint8_t(dT),
            uint8_t(x >> 2),
            uint8_t((x & 0x03) << 6 | (y & 0x3F)),
            uint8_t((y >> 6) << 4 | z >> 8),
            uint8_t(z)};
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A fix of week 2050 at the given time of week, somewhere over Brittany.
inline TDataECEF fixAt(uint32_t tow, uint16_t week = 2050) {
    return TDataECEF{week, tow, 4202458, -123478, 4780443, 42};
}

}  // namespace kav::log::testing
