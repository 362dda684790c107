#include "log/datalog_decoder.h"

namespace kav::log {

namespace {

/*
 * Datalog records, kind = first byte >> 5:
 *   2, 3  full, 18 bytes:  b0[1:0] b1 speed | b2[7:4] TOW[3:0], b2[1:0] b3 week (10 bits)
 *                          b4 TOW[19:12], b5 TOW[11:4] | X, Y, Z: low word then high word, each BE
 *   4     compact, 8 bytes: b0[1:0] b1 speed | b2 b3 time step | X step b4, b5[7:6];
 *                          Y step b6[7:4], b5[5:0]; Z step b6[1:0], b7 (10 bits each)
 *   7     filler, 2 bytes
 *   other end of the sector's data
 */
constexpr uint8_t kKindFull = 2;
constexpr uint8_t kKindFullAlt = 3;
constexpr uint8_t kKindCompact = 4;
constexpr uint8_t kKindFiller = 7;
constexpr std::size_t kFillerSize = 2;
constexpr uint16_t kWeekBase = 2048;

uint16_t speedOf(const uint8_t* d) {
    return uint16_t((d[0] & 0x03) << 8 | d[1]);
}

// A coordinate stored as two big-endian words, low word first; bit 31 set reads as ones'
// complement, so all ones gives 0.
int64_t coordinateAt(const uint8_t* p) {
    const uint32_t raw = uint32_t(p[2]) << 24 | uint32_t(p[3]) << 16 | uint32_t(p[0]) << 8 | p[1];
    if (raw & 0x80000000u) return int64_t(raw) - int64_t(0xFFFFFFFFu);
    return int64_t(raw);
}

// Compact steps of 512..1023 stand for -1..-512.
int64_t signedStep(uint32_t raw) {
    return raw >= 512 ? 511 - int64_t(raw) : int64_t(raw);
}

}  // namespace

void DecodeFixFull(const uint8_t* Data, TDataECEF& dECEF) {
    dECEF.Velocity = speedOf(Data);
    dECEF.WeekNumber = uint16_t(((Data[2] & 0x03) << 8 | Data[3]) + kWeekBase);
    dECEF.TimeOfWeek = uint32_t(Data[4]) << 12 | uint32_t(Data[5]) << 4 | uint32_t(Data[2] >> 4);
    dECEF.ECEF_X = coordinateAt(Data + 6);
    dECEF.ECEF_Y = coordinateAt(Data + 10);
    dECEF.ECEF_Z = coordinateAt(Data + 14);
}

void DecodeFixCompact(TDataECEF dref, const uint8_t* Data, TDataECEF& dECEF) {
    const uint32_t dT = uint32_t(Data[2]) << 8 | Data[3];
    const uint32_t dX = uint32_t(Data[4]) << 2 | uint32_t(Data[5] >> 6);
    const uint32_t dY = uint32_t(Data[6] >> 4) << 6 | uint32_t(Data[5] & 0x3F);
    const uint32_t dZ = uint32_t(Data[6] & 0x03) << 8 | Data[7];
    dECEF.Velocity = speedOf(Data);
    dECEF.WeekNumber = dref.WeekNumber;
    dECEF.TimeOfWeek = dref.TimeOfWeek + dT;
    dECEF.ECEF_X = dref.ECEF_X + signedStep(dX);
    dECEF.ECEF_Y = dref.ECEF_Y + signedStep(dY);
    dECEF.ECEF_Z = dref.ECEF_Z + signedStep(dZ);
}

std::size_t walkSector(std::span<const uint8_t> bytes, LogData& log) {
    const std::size_t before = log.size();
    std::size_t i = 0;
    while (i < bytes.size()) {
        const uint8_t kind = bytes[i] >> 5;
        const std::size_t left = bytes.size() - i;
        if (kind == kKindFull || kind == kKindFullAlt) {
            if (left < kFullRecordSize) break;
            DecodeFixFull(&bytes[i], log.emplace_back());
            i += kFullRecordSize;
        } else if (kind == kKindCompact) {
            if (left < kCompactRecordSize) break;
            // With no previous fix there is nothing to add the steps to.
            if (!log.empty()) {
                const TDataECEF previous = log.back();
                DecodeFixCompact(previous, &bytes[i], log.emplace_back());
            }
            i += kCompactRecordSize;
        } else if (kind == kKindFiller) {
            i += kFillerSize;
        } else {
            break;
        }
    }
    return log.size() - before;
}

}  // namespace kav::log
