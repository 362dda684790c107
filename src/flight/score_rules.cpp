#include "flight/score_rules.h"

#include <limits>

namespace kav::flight {

namespace {

constexpr double kAnyKm = std::numeric_limits<double>::infinity();

// Open triangles close within a fifth of their perimeter, closed ones within 5 %; the gap is
// taken off the perimeter.
constexpr TriangleRule kXContest[] = {
    {ScoreType::FlatTriangle, 1.2, false, 0.20, kAnyKm, true},
    {ScoreType::FaiTriangle, 1.4, true, 0.20, kAnyKm, true},
    {ScoreType::ClosedFlatTriangle, 1.4, false, 0.05, kAnyKm, true},
    {ScoreType::ClosedFaiTriangle, 1.6, true, 0.05, kAnyKm, true},
};

// Triangles whose take-off and landing lie within 3 km; the perimeter scores whole. The fifth of
// the perimeter keeps a short glide from counting as a triangle out and back.
constexpr TriangleRule kFfvl[] = {
    {ScoreType::FlatTriangle, 1.2, false, 0.20, 3, false},
    {ScoreType::FaiTriangle, 1.4, true, 0.20, 3, false},
};

}  // namespace

double freeDistanceFactor(ScoreRules) {
    return 1.0;
}

bool closesAtEnds(ScoreRules rules) {
    return rules == ScoreRules::Ffvl;
}

std::span<const TriangleRule> triangleRules(ScoreRules rules) {
    if (rules == ScoreRules::Ffvl) return kFfvl;
    return kXContest;
}

}  // namespace kav::flight
