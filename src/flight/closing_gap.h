#pragma once
// The closing gap of a triangle whose first corner is no later than fix a and whose last is no
// earlier than fix b: the shortest distance between a fix up to a and a fix from b on. It only
// grows as a moves earlier or b later, so it bounds the gap of every triangle in a search node.

#include <cstdint>
#include <span>
#include <unordered_map>

#include "flight/fix_tree.h"

namespace kav::flight {

struct ClosingPair {
    std::size_t start = 0, end = 0;  // fix indices
    double chord = 0;                // km
};

class ClosingGaps {
  public:
    ClosingGaps(const FixTree& tree, std::span<const Vec3> points) : tree_(tree), points_(points) {}

    // The closest pair of fixes i <= a, j >= b (a <= b), found by branch and bound on the
    // tree; remembered, as the route search asks for the same pairs again and again.
    const ClosingPair& closest(std::size_t a, std::size_t b);

  private:
    ClosingPair search(std::size_t a, std::size_t b) const;

    const FixTree& tree_;
    std::span<const Vec3> points_;
    std::unordered_map<uint64_t, ClosingPair> known_;
};

}  // namespace kav::flight
