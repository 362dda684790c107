#pragma once
// What list prints: one line per track and one per flight, or the same as one JSON object.

#include <cstddef>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QStringList>

#include "flight/flight_detector.h"
#include "flight/flight_score.h"
#include "log/track_list.h"

namespace kav::cli {

struct TrackListing {
    const kav::log::LogCollection& log;
    std::vector<std::vector<kav::flight::Flight>> flights;  // per track
    std::optional<std::size_t> incompleteTrack;             // whose end was not read
    kav::flight::ScoreRules rules = kav::flight::ScoreRules::XContest;
};

// "  1  <start>  <finish>  <fixes>[  incomplete]" per track, each followed by its flights as
// "       flight 1  <take-off>  <landing>  <h:mm:ss>".
QStringList trackListLines(const TrackListing& listing);

// {"tracks": [{"number", "start", "end", "points", "incomplete", "flights": [{"takeoff",
// "landing", "score", "stats"}]}]}, times in UTC as ISO 8601 with Z, whole seconds.
QByteArray trackListJson(const TrackListing& listing);

}  // namespace kav::cli
