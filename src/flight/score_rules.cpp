#include "flight/score_rules.h"

namespace kav::flight {

namespace {

// Open triangles close within a fifth of their perimeter, closed ones within 5 %; the gap is
// taken off the perimeter.
constexpr TriangleRule kXContest[] = {
    {ScoreType::FlatTriangle, 1.2, false, 0.20, 0, true},
    {ScoreType::FaiTriangle, 1.4, true, 0.20, 0, true},
    {ScoreType::ClosedFlatTriangle, 1.4, false, 0.05, 0, true},
    {ScoreType::ClosedFaiTriangle, 1.6, true, 0.05, 0, true},
};

// Triangles whose take-off and landing lie within 3 km; the perimeter scores whole.
constexpr TriangleRule kFfvl[] = {
    {ScoreType::FlatTriangle, 1.2, false, 0, 3, false},
    {ScoreType::FaiTriangle, 1.4, true, 0, 3, false},
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
