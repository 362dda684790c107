#include "image_encoder.h"

#include <cmath>
#include <numbers>

namespace kav::sim {
namespace {

constexpr int kSector = 4096;
constexpr int64_t kMaxCoordinate = 2147483647;
constexpr uint32_t kOnesComplementBias = 4294967295u;  // v < 0 is stored as v + 2^32 - 1

bool speedFits(const log::TDataECEF& fix) {
    return fix.Velocity <= 1023;
}

void putSpeed(uint8_t* b, uint8_t kindBits, uint16_t velocity) {
    b[0] = uint8_t(kindBits | ((velocity >> 8) & 0x03));
    b[1] = uint8_t(velocity & 0xFF);
}

// Two big-endian 16-bit words, low word first.
void putCoordinate(uint8_t* b, int64_t v) {
    const uint32_t raw = v >= 0 ? uint32_t(v) : uint32_t(v + kOnesComplementBias);
    b[0] = uint8_t(raw >> 8);
    b[1] = uint8_t(raw);
    b[2] = uint8_t(raw >> 24);
    b[3] = uint8_t(raw >> 16);
}

bool coordinateFits(int64_t v) {
    return v >= -kMaxCoordinate && v <= kMaxCoordinate;
}

// Steps of -512..511 as 10 bits: s for s >= 0, 511 - s below.
std::optional<uint16_t> stepBits(int64_t step) {
    if (step < -512 || step > 511) return std::nullopt;
    return uint16_t(step >= 0 ? step : 511 - step);
}

}  // namespace

std::optional<FullRecord> encodeFull(const log::TDataECEF& fix) {
    if (fix.WeekNumber < 2048 || fix.WeekNumber > 3071 || fix.TimeOfWeek > 0xFFFFF ||
        !speedFits(fix) || !coordinateFits(fix.ECEF_X) || !coordinateFits(fix.ECEF_Y) ||
        !coordinateFits(fix.ECEF_Z))
        return std::nullopt;
    FullRecord r{};
    const uint32_t week = fix.WeekNumber & 0x3FF;
    const uint32_t tow = fix.TimeOfWeek;
    putSpeed(r.data(), 0x40, fix.Velocity);
    r[2] = uint8_t(((tow & 0x0F) << 4) | (week >> 8));
    r[3] = uint8_t(week & 0xFF);
    r[4] = uint8_t(tow >> 12);
    r[5] = uint8_t(tow >> 4);
    putCoordinate(&r[6], fix.ECEF_X);
    putCoordinate(&r[10], fix.ECEF_Y);
    putCoordinate(&r[14], fix.ECEF_Z);
    return r;
}

std::optional<CompactRecord> encodeCompact(const log::TDataECEF& previous,
                                           const log::TDataECEF& fix) {
    if (fix.WeekNumber != previous.WeekNumber || fix.TimeOfWeek < previous.TimeOfWeek ||
        fix.TimeOfWeek - previous.TimeOfWeek > 0xFFFF || !speedFits(fix))
        return std::nullopt;
    const auto dx = stepBits(fix.ECEF_X - previous.ECEF_X);
    const auto dy = stepBits(fix.ECEF_Y - previous.ECEF_Y);
    const auto dz = stepBits(fix.ECEF_Z - previous.ECEF_Z);
    if (!dx || !dy || !dz) return std::nullopt;
    const uint32_t dt = fix.TimeOfWeek - previous.TimeOfWeek;
    CompactRecord r{};
    putSpeed(r.data(), 0x80, fix.Velocity);
    r[2] = uint8_t(dt >> 8);
    r[3] = uint8_t(dt);
    r[4] = uint8_t(*dx >> 2);
    r[5] = uint8_t(((*dx & 0x03) << 6) | (*dy & 0x3F));
    r[6] = uint8_t(((*dy >> 6) << 4) | (*dz >> 8));
    r[7] = uint8_t(*dz & 0xFF);
    return r;
}

QByteArray encodeFixes(std::span<const log::TDataECEF> fixes, QString* error) {
    QByteArray image;
    int room = 0;  // bytes left in the current sector
    const auto append = [&](const auto& record) {
        image.append(reinterpret_cast<const char*>(record.data()), qsizetype(record.size()));
        room -= int(record.size());
    };
    for (std::size_t i = 0; i < fixes.size(); ++i) {
        std::optional<CompactRecord> compact;
        if (i > 0 && room >= int(CompactRecord{}.size()))
            compact = encodeCompact(fixes[i - 1], fixes[i]);
        if (compact) {
            append(*compact);
            continue;
        }
        const auto full = encodeFull(fixes[i]);
        if (!full) {
            if (error) *error = QStringLiteral("fix %1 cannot be stored").arg(i);
            return {};
        }
        if (room < int(full->size())) {
            image.append(room, char(0xFF));
            room = kSector;
        }
        append(*full);
    }
    image.append(room, char(0xFF));
    return image;
}

Ecef geodeticToEcef(double latDeg, double lonDeg, double height) {
    constexpr double a = 6378137.0;
    constexpr double f = 1.0 / 298.257223563;
    constexpr double e2 = f * (2.0 - f);
    const double lat = latDeg * std::numbers::pi / 180.0;
    const double lon = lonDeg * std::numbers::pi / 180.0;
    const double n = a / std::sqrt(1.0 - e2 * std::sin(lat) * std::sin(lat));
    return {(n + height) * std::cos(lat) * std::cos(lon),
            (n + height) * std::cos(lat) * std::sin(lon),
            (n * (1.0 - e2) + height) * std::sin(lat)};
}

}  // namespace kav::sim
