// Prints the time to convert a 100,000-fix track once, to write it as GAC, KML, GPX and IGC,
// and to find its flights.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

#include <QDateTime>
#include <QTemporaryDir>

#include "export/file_info.h"
#include "export/gac_writer.h"
#include "export/gpx_writer.h"
#include "export/igc_writer.h"
#include "export/kml_writer.h"
#include "flight/flight_detector.h"
#include "log/track_points.h"

namespace {

using kav::exporting::WriteResult;

constexpr std::size_t kFixes = 100000;
constexpr int kRuns = 7;

// A climbing spiral flown once a second from 45.5 N 6.1 E, as ECEF whole metres.
kav::log::LogData spiralFlight() {
    constexpr double a = 6378137.0, f = 1 / 298.257223563, e2 = f * (2 - f);
    constexpr double deg = 3.14159265358979323846 / 180;
    const uint32_t startTow = 3 * 86400 + 10 * 3600;
    kav::log::LogData log;
    log.reserve(kFixes);
    for (std::size_t i = 0; i < kFixes; ++i) {
        const double lat = (45.5 + 0.01 * std::sin(i * 0.01)) * deg;
        const double lon = (6.1 + 0.01 * std::cos(i * 0.01) + i * 1e-6) * deg;
        const double h = 1000 + 0.02 * double(i);
        const double n = a / std::sqrt(1 - e2 * std::sin(lat) * std::sin(lat));
        kav::log::TDataECEF fix;
        fix.WeekNumber = 2054;
        fix.TimeOfWeek = startTow + uint32_t(i);
        fix.ECEF_X = std::llround((n + h) * std::cos(lat) * std::cos(lon));
        fix.ECEF_Y = std::llround((n + h) * std::cos(lat) * std::sin(lon));
        fix.ECEF_Z = std::llround((n * (1 - e2) + h) * std::sin(lat));
        fix.Velocity = 40;
        log.push_back(fix);
    }
    return log;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Median wall and processor time of kRuns runs of step; the processor time is the fairer
// figure on a busy machine.
void time(const char* what, const std::function<bool(int run)>& step) {
    std::vector<double> wallMs, cpuMs;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        const bool ok = step(run);
        const std::clock_t cpuStop = std::clock();
        const auto stop = std::chrono::steady_clock::now();
        if (!ok) return;
        wallMs.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
        cpuMs.push_back(1000.0 * double(cpuStop - cpuStart) / CLOCKS_PER_SEC);
    }
    std::printf("%-24s %zu fixes: median %7.1f ms wall, %7.1f ms processor\n", what, kFixes,
                median(wallMs), median(cpuMs));
}

// Times kRuns exports, each to a fresh file.
void measure(const char* what, const std::function<WriteResult(const QString&)>& write) {
    QTemporaryDir dir;
    time(what, [&](int run) {
        const WriteResult result = write(dir.filePath(QStringLiteral("run%1").arg(run)));
        if (!result.ok()) std::printf("%s: export failed: %s\n", what, qPrintable(result.error));
        return result.ok();
    });
}

}  // namespace

int main() {
    const kav::log::LogData log = spiralFlight();
    const kav::log::ConvertedTrack track = kav::log::convertTrack(log, 0, log.size() - 1);
    const kav::log::TrackPoints points = kav::log::buildTrackPoints(track);
    const kav::exporting::TFileInfo info =
        kav::exporting::fillFileInfo(QStringLiteral("0.1.5 "), QDate(2019, 5, 20));
    const QDateTime moment = QDateTime::currentDateTime();
    const QString firmware = QStringLiteral("1.6.9"), hardware = QStringLiteral("1.4.21");

    time("convert (once a track)", [&](int) {
        return kav::log::convertTrack(log, 0, log.size() - 1).points.size() == kFixes;
    });
    time("plot arrays",
         [&](int) { return kav::log::buildTrackPoints(track).FRTaille() == kFixes; });
    measure("gac", [&](const QString& path) {
        return kav::exporting::writeGacFile(path, info, firmware, hardware, track);
    });
    measure("kml", [&](const QString& path) { return kav::exporting::writeKmlFile(path, points); });
    measure("gpx", [&](const QString& path) {
        return kav::exporting::writeGpxFile(path, points, info, moment);
    });
    measure("igc", [&](const QString& path) {
        return kav::exporting::writeIgcFile(path, kav::exporting::IgcHeader{}, track);
    });
    time("flights (once a track)",
         [&](int) { return kav::flight::findFlights(track, 0).size() < kFixes; });
    measure("gac with its conversion", [&](const QString& path) {
        return kav::exporting::writeGacFile(path, info, firmware, hardware, log, 0, log.size() - 1);
    });
    return 0;
}
