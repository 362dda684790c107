#pragma once
// The cross-country score of a flight under a league's rules: the best of free distance
// through up to three turnpoints, flat and FAI triangles and their closed variants.

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include <QString>

#include "flight/flight_fix.h"

namespace kav::flight {

enum class ScoreRules { XContest, Ffvl };

enum class ScoreType {
    None,  // fewer than two fixes
    FreeDistance,
    FlatTriangle,
    FaiTriangle,
    ClosedFlatTriangle,
    ClosedFaiTriangle,
};

struct ScorePoint {
    std::size_t index = 0;  // into the fixes scored
    FlightFix fix;
};

struct FlightScore {
    ScoreRules rules = ScoreRules::XContest;
    ScoreType type = ScoreType::None;
    double km = 0;           // the route's length on the WGS84 ellipsoid; triangles: the perimeter
                             // less the closing gap where the rules take it off
    double factor = 0;       // the rule set's multiplier for the type
    double points = 0;       // km * factor
    double perimeterKm = 0;  // triangles: the three sides
    double closingKm = 0;    // triangles: the gap between the closing points
    std::size_t searched = 0;  // bounds the search computed (a measure of its work)
    // No route under the rules scores more than this: points plus the search's tolerance when it
    // was complete, the highest bound it left when it stopped at its budget.
    double upperPoints = 0;
    bool proven = true;  // false when the search stopped at its budget
    // Free distance: start, up to three turnpoints, finish. Triangles: the three corners.
    std::vector<ScorePoint> turnpoints;
    // Triangles: the two fixes that close it (the gap between them is the closing distance).
    std::optional<ScorePoint> closingStart, closingEnd;
};

// The best score of fixes (in time order) under rules.
FlightScore scoreFlight(std::span<const FlightFix> fixes, ScoreRules rules = ScoreRules::XContest);

// "free distance", "flat triangle", "FAI triangle", "closed flat triangle", "closed FAI triangle".
QString scoreTypeName(ScoreType type);
// "xcontest", "ffvl".
QString scoreRulesName(ScoreRules rules);
std::optional<ScoreRules> scoreRulesFromName(const QString& name);

}  // namespace kav::flight
