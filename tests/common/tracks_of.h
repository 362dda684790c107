#pragma once
// The tracks the first sectors of a memory image give, decoded as a download would store them.

#include <cstdint>
#include <span>

#include <QByteArray>

#include "log/track_list.h"

namespace kav::testing {

inline std::size_t tracksOfFirstSectors(const QByteArray& image, int count) {
    constexpr qsizetype kSector = 4096;
    log::LogCollection log;
    for (int n = 0; n < count; ++n) {
        const QByteArray s = image.mid(n * kSector, kSector);
        log.SavePacket(std::span(reinterpret_cast<const uint8_t*>(s.constData()), s.size()));
    }
    return log.tracks().size();
}

}  // namespace kav::testing
