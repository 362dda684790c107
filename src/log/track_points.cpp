#include "log/track_points.h"

#include <algorithm>

#include "log/geodesy.h"
#include "log/gps_time.h"

namespace kav::log {

namespace {

// An upward jump of more than this (0.303 m units) over the previous point is a spike.
constexpr int64_t kAltitudeSpike = 5000;

// Stores one point; an upward altitude spike repeats the previous stored altitude (AddData).
// The jump is measured from the previous fix's own altitude, not the stored one: after a low
// glitch the stored value stays low, and every good fix would then read as a spike.
void AddData(TrackPoints& pts, const TDataGAC& g, int32_t previousAlti, DateTime when) {
    int32_t alti = g.xAlti;
    if (!pts.FRAltitudes.empty() && int64_t(previousAlti) + kAltitudeSpike < alti)
        alti = pts.FRAltitudes.back();
    pts.FRHeures.push_back(g.xSeconde);
    pts.FRLatitudes.push_back(g.xLat);
    pts.FRLongitudes.push_back(g.xLong);
    pts.FRAltitudes.push_back(alti);
    pts.FRDateTimes.push_back(when);
}

// Moves a maximum 0.05 % away from the track; a bound of 0 stays 0.
double widenedMax(double v) {
    return v >= 0 ? v * 10005 / 10000 : v * 9995 / 10000;
}
double widenedMin(double v) {
    return v >= 0 ? v * 9995 / 10000 : v * 10005 / 10000;
}

// Bounds of the points, widened, and their midpoints (CoordMaxData).
void CoordMaxData(TrackPoints& pts) {
    const auto [latMin, latMax] =
        std::minmax_element(pts.FRLatitudes.begin(), pts.FRLatitudes.end());
    const auto [lonMin, lonMax] =
        std::minmax_element(pts.FRLongitudes.begin(), pts.FRLongitudes.end());
    pts.LatMax = widenedMax(*latMax);
    pts.LatMin = widenedMin(*latMin);
    pts.LongMax = widenedMax(*lonMax);
    pts.LongMin = widenedMin(*lonMin);
    pts.LatRef = (pts.LatMax + pts.LatMin) / 2;
    pts.LongRef = (pts.LongMax + pts.LongMin) / 2;
}

}  // namespace

ConvertedTrack convertTrack(const LogData& log, std::size_t first, std::size_t last) {
    ConvertedTrack track;
    if (log.empty()) return track;
    last = std::min(last, log.size() - 1);
    if (first > last) return track;
    track.points.resize(last - first + 1);
    track.times.resize(last - first + 1);
    for (std::size_t i = first; i <= last; ++i) {
        Ecef2Gac(log[i], track.points[i - first]);
        track.times[i - first] = GpsTime2Datetime(log[i].WeekNumber, log[i].TimeOfWeek);
    }
    return track;
}

TrackPoints buildTrackPoints(const ConvertedTrack& track) {
    TrackPoints pts;
    const std::size_t count = std::min(track.points.size(), track.times.size());
    if (count == 0) return pts;
    for (auto* v : {&pts.FRHeures, &pts.FRAltitudes}) v->reserve(count);
    for (auto* v : {&pts.FRLatitudes, &pts.FRLongitudes, &pts.FRDateTimes}) v->reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        AddData(pts, track.points[i], i > 0 ? track.points[i - 1].xAlti : 0, track.times[i]);
    CoordMaxData(pts);
    return pts;
}

TrackPoints buildTrackPoints(const LogData& log, std::size_t first, std::size_t last) {
    return buildTrackPoints(convertTrack(log, first, last));
}

}  // namespace kav::log
