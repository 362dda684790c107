#include "sample_tracks.h"

#include "log/gps_time.h"

namespace kav::exporting::test {

namespace {

struct SamplePoint {
    double lat, lon;
    int32_t alti;
    QDateTime when;
};

const SamplePoint kSamples[] = {
    {45.5, 6.123456, 1241, QDateTime(QDate(2019, 5, 19), QTime(14, 0, 0), Qt::UTC)},
    {45.25, -0.5, 1000, QDateTime(QDate(2019, 5, 19), QTime(23, 59, 59), Qt::UTC)},
    {-33.5, -70.25, 2000, QDateTime(QDate(2019, 5, 20), QTime(0, 0, 1), Qt::UTC)},
};

}  // namespace

kav::log::TrackPoints sampleTrack(std::size_t n) {
    kav::log::TrackPoints track;
    for (std::size_t i = 0; i < n && i < std::size(kSamples); ++i) {
        const SamplePoint& p = kSamples[i];
        track.FRLatitudes.push_back(p.lat);
        track.FRLongitudes.push_back(p.lon);
        track.FRAltitudes.push_back(p.alti);
        track.FRHeures.push_back(p.when.time().msecsSinceStartOfDay() / 1000);
        track.FRDateTimes.push_back(kav::log::fromQDateTime(p.when));
    }
    track.LatMin = -33.51675;
    track.LatMax = 45.52275;
    track.LongMin = -70.28513;
    track.LongMax = 6.12652;
    return track;
}

QDateTime sampleExportMoment() {
    return QDateTime(QDate(2019, 5, 20), QTime(9, 15, 2), Qt::OffsetFromUTC, 7200);
}

}  // namespace kav::exporting::test
