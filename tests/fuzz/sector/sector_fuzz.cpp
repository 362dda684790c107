// Fuzzes the sector walk, the track cutting and the track points. Input: byte 0 chooses how
// the rest is cut into sectors (below 0x80: whole 4096-byte sectors; otherwise pieces of
// (byte 0 - 0x7F) x 8 bytes, so records meet piece ends at every offset).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>

#include "fuzz_check.h"
#include "log/datalog_decoder.h"
#include "log/track_list.h"
#include "log/track_points.h"

using namespace kav::log;

namespace {

void checkTracks(const LogCollection& collection) {
    const LogData& log = collection.logData();
    const auto& tracks = collection.tracks();
    FUZZ_CHECK(log.empty() == tracks.empty());
    std::size_t next = 0;
    for (const Track& t : tracks) {
        FUZZ_CHECK(t.first == next);  // tracks tile the log in order, no fix lost or shared
        FUZZ_CHECK(t.first <= t.last);
        next = t.last + 1;
    }
    FUZZ_CHECK(next == log.size());
    FUZZ_CHECK(collection.markedTrack() == int(tracks.size()) - 1);
}

void checkPoints(const LogData& log, const Track& t) {
    const TrackPoints pts = buildTrackPoints(log, t.first, t.last);
    const std::size_t n = t.last - t.first + 1;
    FUZZ_CHECK(pts.FRTaille() == n);
    FUZZ_CHECK(pts.FRHeures.size() == n && pts.FRAltitudes.size() == n);
    FUZZ_CHECK(pts.FRDateTimes.size() == n && pts.FRLongitudes.size() == n);
    for (std::size_t i = 0; i < n; ++i) {
        FUZZ_CHECK(std::isfinite(pts.FRLatitudes[i]) && std::fabs(pts.FRLatitudes[i]) <= 90.0);
        FUZZ_CHECK(std::isfinite(pts.FRLongitudes[i]) && std::fabs(pts.FRLongitudes[i]) <= 180.0);
        FUZZ_CHECK(pts.FRHeures[i] >= 0 && pts.FRHeures[i] < 86400);
    }
    FUZZ_CHECK(pts.LatMin <= pts.LatMax && pts.LongMin <= pts.LongMax);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::size_t piece = data[0] < 0x80 ? kSectorSize : std::size_t(data[0] - 0x7F) * 8;
    const std::span<const uint8_t> bytes(data + 1, size - 1);

    LogCollection collection;
    LogData walked;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        const auto sector = bytes.subspan(at, std::min(piece, bytes.size() - at));
        const std::size_t before = walked.size();
        const std::size_t added = walkSector(sector, walked);
        FUZZ_CHECK(walked.size() == before + added);
        FUZZ_CHECK(added <= sector.size() / kCompactRecordSize);
        FUZZ_CHECK(collection.SavePacket(sector) == added);
    }
    FUZZ_CHECK(collection.logData() == walked);
    checkTracks(collection);
    for (const Track& t : collection.tracks()) checkPoints(walked, t);
    return 0;
}
