#pragma once
// The fixes of a flight as a binary tree of runs of consecutive fixes, each run held in an
// oriented box (along its course, across it, and up) that contains every one of its points:
// the route search bounds distances between runs from these boxes.

#include <cstdint>
#include <span>
#include <vector>

#include "flight/surface_distance.h"

namespace kav::flight {

struct FixRun {
    std::size_t first = 0, last = 0;  // fix indices, both included
    int32_t lower = -1, upper = -1;   // the halves; -1 for a single fix
    Vec3 centre{};                    // of the box, km
    std::array<Vec3, 3> axes{};       // orthonormal
    Vec3 half{};                      // half extents along the axes, km
    double radius = 0;                // centre to a corner, km
    // How far the run goes back along its first axis: the most <axes[0], p_i - p_j> over fixes
    // i before j. A glide hardly goes back; a thermal goes back its whole width.
    double backtrack = 0;
    // At least the most a chord between two of its fixes, the earlier first, exceeds its
    // advance along axes[0] (exact for runs of at most kExactRun fixes): small along a glide.
    double excess = 0;
    int32_t parent = -1;

    bool single() const { return lower < 0; }
    // The largest of <w, p - centre> over the box.
    double support(const Vec3& w) const;
    // The largest distance of a box point from the line through centre along unit vector e.
    double across(const Vec3& e) const;
};

inline constexpr std::size_t kExactRun = 16;

class FixTree {
  public:
    explicit FixTree(std::span<const Vec3> points);

    const FixRun& run(int32_t i) const { return runs_[std::size_t(i)]; }
    int32_t indexOf(const FixRun& run) const { return int32_t(&run - runs_.data()); }
    const FixRun& root() const { return runs_.front(); }
    // The run of fix i alone.
    const FixRun& single(std::size_t i) const;
    // The smallest run holding both a and b.
    const FixRun& common(const FixRun& a, const FixRun& b) const;
    bool empty() const { return runs_.empty(); }

  private:
    int32_t build(std::span<const Vec3> points, std::size_t first, std::size_t last,
                  int32_t parent);
    double excessOf(std::span<const Vec3> points, const FixRun& run) const;
    double crossExcess(const FixRun& early, const FixRun& late, const Vec3& e) const;

    std::vector<FixRun> runs_;
};

inline double dot(const Vec3& a, const Vec3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

}  // namespace kav::flight
