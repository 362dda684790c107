#pragma once
// The flights table's figure columns and the fields they hold: one list for writing and
// reading, so a column is never written under one name and read under another.

#include "flight/flight_score.h"
#include "flight/flight_stats.h"

namespace kav::logbook {

using kav::flight::FlightFix;
using kav::flight::FlightScore;
using kav::flight::FlightStats;

struct StatColumn {
    const char* name;
    double FlightStats::*value;
};

inline constexpr StatColumn kStatColumns[] = {
    {"duration_s", &FlightStats::durationSeconds}, {"max_height", &FlightStats::maxHeight},
    {"min_height", &FlightStats::minHeight},       {"height_gain", &FlightStats::heightGain},
    {"max_climb", &FlightStats::maxClimb},         {"max_sink", &FlightStats::maxSink},
    {"max_climb_5s", &FlightStats::maxClimb5s},    {"max_sink_5s", &FlightStats::maxSink5s},
    {"track_km", &FlightStats::trackKm},           {"straight_km", &FlightStats::straightKm},
    {"average_kmh", &FlightStats::averageKmh},     {"max_kmh", &FlightStats::maxKmh},
};

struct PlaceColumn {
    const char* name;
    FlightFix FlightStats::*place;
    double FlightFix::*value;
};

inline constexpr PlaceColumn kPlaceColumns[] = {
    {"takeoff_lat", &FlightStats::takeoff, &FlightFix::lat},
    {"takeoff_lon", &FlightStats::takeoff, &FlightFix::lon},
    {"takeoff_height", &FlightStats::takeoff, &FlightFix::height},
    {"landing_lat", &FlightStats::landing, &FlightFix::lat},
    {"landing_lon", &FlightStats::landing, &FlightFix::lon},
    {"landing_height", &FlightStats::landing, &FlightFix::height},
};

struct ScoreColumn {
    const char* name;
    double FlightScore::*value;
};

inline constexpr ScoreColumn kScoreColumns[] = {
    {"score_km", &FlightScore::km},
    {"score_factor", &FlightScore::factor},
    {"score_points", &FlightScore::points},
};

}  // namespace kav::logbook
