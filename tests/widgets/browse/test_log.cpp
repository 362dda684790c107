#include "test_log.h"

#include "log/datalog_decoder.h"

namespace kav::browse::testing {
namespace {

// Near 49.65 N 1.47 E.
constexpr uint32_t kX = 4135000;
constexpr uint32_t kY = 106000;
constexpr uint32_t kZ = 4838000;

// A 32-bit coordinate as two big-endian words, the low word first.
void putCoordinate(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
}

}  // namespace

std::vector<uint8_t> fullRecord(uint32_t tow, uint32_t x, uint32_t y, uint32_t z) {
    const uint16_t week10 = kWeek - 2048;
    std::vector<uint8_t> r{0x40,
                           0x00,
                           uint8_t(((tow & 0x0F) << 4) | ((week10 >> 8) & 0x03)),
                           uint8_t(week10),
                           uint8_t(tow >> 12),
                           uint8_t(tow >> 4)};
    putCoordinate(r, x);
    putCoordinate(r, y);
    putCoordinate(r, z);
    return r;
}

kav::log::LogCollection makeLog(const std::vector<TrackSpan>& tracks) {
    kav::log::LogCollection log;
    std::vector<uint8_t> sector;
    auto flush = [&] {
        if (sector.empty()) return;
        sector.resize(kav::log::kSectorSize, 0xFF);
        log.SavePacket(sector);
        sector.clear();
    };
    uint32_t n = 0;
    for (const TrackSpan& t : tracks) {
        for (uint32_t s = 0;; s += t.step) {
            const uint32_t at = s < t.seconds ? s : t.seconds;
            if (sector.size() + kav::log::kFullRecordSize > kav::log::kSectorSize) flush();
            const auto r = fullRecord(t.startTow + at, kX + n % 500, kY + n % 300, kZ - n % 400);
            sector.insert(sector.end(), r.begin(), r.end());
            ++n;
            if (at == t.seconds) break;
        }
    }
    flush();
    return log;
}

}  // namespace kav::browse::testing
