#include "flight/triangle_rules.h"

namespace kav::flight {

namespace {

// Each side can reach the FAI share of a perimeter made of it at its longest and the others at
// their shortest: s >= k (s + t + u) <=> (1 - k) s >= k (t + u).
bool mayBeFai(const std::array<double, 3>& longest, const std::array<double, 3>& shortest) {
    for (std::size_t i = 0; i < 3; ++i) {
        const double others = shortest[(i + 1) % 3] + shortest[(i + 2) % 3];
        if ((1 - kFaiShortestSide) * longest[i] < kFaiShortestSide * others) return false;
    }
    return true;
}

}  // namespace

TriangleValue bestTriangleRule(const std::array<double, 3>& longest,
                               const std::array<double, 3>& shortest, double perimeter, double gap,
                               std::span<const TriangleRule> rules) {
    TriangleValue best;
    const bool fai = mayBeFai(longest, shortest);
    for (const TriangleRule& rule : rules) {
        if (gap > rule.closingShare * perimeter || gap > rule.closingKm) continue;
        if (rule.fai && !fai) continue;
        const double points = (perimeter - (rule.closingDeducted ? gap : 0)) * rule.factor;
        if (points > best.points) best = {points, &rule};
    }
    return best;
}

}  // namespace kav::flight
