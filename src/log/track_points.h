#pragma once
// The points of one track as plotted and exported (the plot arrays), with their bounds.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fix_types.h"

namespace kav::log {

struct TrackPoints {
    std::vector<int32_t> FRHeures;      // xSeconde of each point
    std::vector<double> FRLatitudes;    // degrees
    std::vector<double> FRLongitudes;   // degrees
    std::vector<int32_t> FRAltitudes;   // xAlti after the upward spike filter (0.303 m units)
    std::vector<DateTime> FRDateTimes;  // full UTC date-time of each point
    // Bounds widened by 0.05 % away from the track, and their midpoints (CoordMaxData).
    double LatMax = 0, LatMin = 0, LongMax = 0, LongMin = 0;
    double LatRef = 0, LongRef = 0;

    std::size_t FRTaille() const { return FRLatitudes.size(); }
    bool empty() const { return FRLatitudes.empty(); }
};

// The fixes of one track converted once (Ecef2Gac), with the UTC date-time of each: what the
// plot arrays and every file saved for the track are made from.
struct ConvertedTrack {
    std::vector<TDataGAC> points;
    std::vector<DateTime> times;
};

// Converts fixes first..last (both included) of log. Indices past the log are clipped;
// first > last gives no point.
ConvertedTrack convertTrack(const LogData& log, std::size_t first, std::size_t last);

// The plot arrays of a converted track: the altitude spike filter applied, the widened bounds
// computed.
TrackPoints buildTrackPoints(const ConvertedTrack& track);

// buildTrackPoints of convertTrack(log, first, last).
TrackPoints buildTrackPoints(const LogData& log, std::size_t first, std::size_t last);

}  // namespace kav::log
