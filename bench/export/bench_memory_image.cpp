// Writes a full logger memory as a raw log file, the input of the convert measurement:
// 800 sectors (3.2 MiB), 408,000 fixes at one a second in 500 flights of 816 fixes, each
// followed by a 60-s pause, so 500 tracks. Usage: bench_memory_image FILE
//   then: /usr/bin/time -v kav-skytraq-cli convert FILE --out DIR --format gpx

#include <cmath>
#include <cstdio>
#include <vector>

#include <QString>

#include "log/raw_log_file.h"
#include "sim/image_encoder.h"

namespace {

constexpr int kFlights = 500;
constexpr int kFixesPerFlight = 816;  // 800 sectors of 510 fixes
constexpr uint32_t kPauseSeconds = 60;
constexpr uint16_t kWeek = 2300;

// A climbing, turning flight, one fix a second, from a take-off of its own: the take-offs
// spread over both hemispheres, east and west, and start below the ellipsoid.
void appendFlight(std::vector<kav::log::TDataECEF>& fixes, int flight, uint32_t& tow) {
    const double lat0 = -55 + 5 * (flight % 23), lon0 = -170 + 5 * (flight % 69);
    for (int i = 0; i < kFixesPerFlight; ++i, ++tow) {
        const double turn = i * 0.02;
        const kav::sim::Ecef e =
            kav::sim::geodeticToEcef(lat0 + 0.004 * std::sin(turn), lon0 + 0.006 * std::cos(turn),
                                     -80 + 1.5 * i + 30 * std::sin(turn * 3));
        fixes.push_back({kWeek, tow, std::llround(e.x), std::llround(e.y), std::llround(e.z), 38});
    }
    tow += kPauseSeconds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    std::vector<kav::log::TDataECEF> fixes;
    fixes.reserve(std::size_t(kFlights) * kFixesPerFlight);
    uint32_t tow = 3600;
    for (int flight = 0; flight < kFlights; ++flight) appendFlight(fixes, flight, tow);
    QString error;
    const QByteArray memory = kav::sim::encodeFixes(fixes, &error);
    if (memory.isEmpty()) {
        std::fprintf(stderr, "cannot encode: %s\n", qPrintable(error));
        return 1;
    }
    const kav::log::RawLogResult saved = kav::log::saveRawLog(
        QString::fromLocal8Bit(argv[1]), memory, {QStringLiteral("BENCH0001"), {}, {}});
    if (!saved.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(saved.error));
        return 1;
    }
    std::printf("%s: %lld bytes, %lld sectors, %zu fixes in %d flights\n", argv[1],
                static_cast<long long>(memory.size()), static_cast<long long>(memory.size() / 4096),
                fixes.size(), kFlights);
    return 0;
}
