#include "flight/closing_gap.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kav::flight {

namespace {

// No two points of the boxes are closer than their centres' distance less how far each box
// reaches towards the other.
double nearestChord(const FixRun& x, const FixRun& y) {
    Vec3 d{y.centre[0] - x.centre[0], y.centre[1] - x.centre[1], y.centre[2] - x.centre[2]};
    const double length = std::sqrt(dot(d, d));
    if (length == 0) return 0;
    for (double& c : d) c /= length;
    return std::max(0.0, length - x.support(d) - y.support(d));
}

}  // namespace

const ClosingPair& ClosingGaps::closest(std::size_t a, std::size_t b) {
    const uint64_t key = uint64_t(a) << 32 | uint64_t(b);
    if (const auto found = known_.find(key); found != known_.end()) return found->second;
    return known_.emplace(key, search(a, b)).first->second;
}

ClosingPair ClosingGaps::search(std::size_t a, std::size_t b) const {
    ClosingPair best{a, b, chordKm(points_[a], points_[b])};
    struct Pair {
        const FixRun* early;
        const FixRun* late;
    };
    std::vector<Pair> stack{{&tree_.root(), &tree_.root()}};
    while (!stack.empty()) {
        const Pair p = stack.back();
        stack.pop_back();
        if (p.early->first > a || p.late->last < b || nearestChord(*p.early, *p.late) >= best.chord)
            continue;
        if (p.early->single() && p.late->single()) {
            best = {p.early->first, p.late->first, chordKm(p.early->centre, p.late->centre)};
            continue;
        }
        const bool splitEarly =
            !p.early->single() && (p.late->single() || p.early->radius >= p.late->radius);
        const FixRun& split = splitEarly ? *p.early : *p.late;
        for (const int32_t half : {split.upper, split.lower}) {
            Pair child = p;
            (splitEarly ? child.early : child.late) = &tree_.run(half);
            stack.push_back(child);
        }
    }
    return best;
}

}  // namespace kav::flight
