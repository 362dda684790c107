#pragma once
// The route types a league scores, with their factors and closing rules.

#include <span>

#include "flight/flight_score.h"

namespace kav::flight {

struct TriangleRule {
    ScoreType type;
    double factor;
    bool fai;              // every side at least kFaiShortestSide of the perimeter
    double closingShare;   // the closing gap at most this share of the perimeter ...
    double closingKm;      // ... plus this many km
    bool closingDeducted;  // points from the perimeter less the gap
};

// The shortest side of an FAI triangle as a share of its perimeter.
inline constexpr double kFaiShortestSide = 0.28;

double freeDistanceFactor(ScoreRules rules);
// Whether a triangle closes between the flight's first and last fixes (else between any fix
// before its first corner and any after its last).
bool closesAtEnds(ScoreRules rules);
std::span<const TriangleRule> triangleRules(ScoreRules rules);

}  // namespace kav::flight
