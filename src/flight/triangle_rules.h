#pragma once
// Which triangle rule a triangle meets and what it scores, from its sides and closing gap.

#include <array>
#include <span>

#include "flight/score_rules.h"

namespace kav::flight {

struct TriangleValue {
    double points = -1;  // below zero when no rule is met
    const TriangleRule* rule = nullptr;
};

// The best rule met by a triangle whose sides are at most longest and at least shortest, whose
// perimeter is at most perimeter and whose closing gap is at least gap. With exact figures
// (longest == shortest) it is the triangle's score; otherwise an upper bound of it.
TriangleValue bestTriangleRule(const std::array<double, 3>& longest,
                               const std::array<double, 3>& shortest, double perimeter, double gap,
                               std::span<const TriangleRule> rules);

}  // namespace kav::flight
