#pragma once
// The fixes of one flight as scoring and statistics read them: time, WGS84 position and height
// in metres. Made from a converted track of the log, or read from an IGC file.

#include <cstddef>
#include <vector>

#include "log/fix_types.h"
#include "log/track_points.h"

namespace kav::flight {

struct FlightFix {
    kav::log::DateTime time = 0;  // UTC
    double lat = 0;               // degrees, north positive
    double lon = 0;               // degrees, east positive
    double height = 0;            // metres above the ellipsoid (GNSS height)
};

// Points first..last (indices into track, both included, clipped to it) as flight fixes.
std::vector<FlightFix> flightFixes(const kav::log::ConvertedTrack& track, std::size_t first,
                                   std::size_t last);

}  // namespace kav::flight
