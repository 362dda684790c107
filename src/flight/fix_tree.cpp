#include "flight/fix_tree.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kav::flight {

namespace {

Vec3 minus(const Vec3& a, const Vec3& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Vec3 scaled(const Vec3& a, double s) {
    return {a[0] * s, a[1] * s, a[2] * s};
}

Vec3 unit(const Vec3& a) {
    const double n = std::sqrt(dot(a, a));
    return n > 0 ? scaled(a, 1 / n) : Vec3{};
}

// Along the chord from the run's first fix to its last, up (square to it, towards the run's
// middle seen from the Earth's centre), and across: any orthonormal frame contains the points
// once extents are measured, but one along the chord keeps the box thin for the straight glides
// where bounds matter most.
std::array<Vec3, 3> frameOf(std::span<const Vec3> points, std::size_t first, std::size_t last) {
    const Vec3 radial = unit(points[(first + last) / 2]);
    Vec3 along = unit(minus(points[last], points[first]));
    if (dot(along, along) == 0 || std::fabs(dot(along, radial)) > 0.5)
        along = unit(cross(radial, Vec3{0, 0, 1}));
    if (dot(along, along) == 0) along = Vec3{1, 0, 0};
    const Vec3 up = unit(minus(radial, scaled(along, dot(radial, along))));
    return {along, cross(up, along), up};
}

}  // namespace

double FixRun::support(const Vec3& w) const {
    return std::fabs(dot(w, axes[0])) * half[0] + std::fabs(dot(w, axes[1])) * half[1] +
           std::fabs(dot(w, axes[2])) * half[2];
}

double FixRun::across(const Vec3& e) const {
    double widest = 0;
    for (const double s1 : {-1.0, 1.0})
        for (const double s2 : {-1.0, 1.0}) {
            Vec3 corner{};
            for (int k = 0; k < 3; ++k)
                corner[k] =
                    half[0] * axes[0][k] + s1 * half[1] * axes[1][k] + s2 * half[2] * axes[2][k];
            const double along = dot(corner, e);
            widest = std::max(widest, dot(corner, corner) - along * along);
        }
    return std::sqrt(widest);
}

FixTree::FixTree(std::span<const Vec3> points) {
    if (points.empty()) return;
    runs_.reserve(2 * points.size());
    build(points, 0, points.size() - 1, -1);
}

const FixRun& FixTree::single(std::size_t i) const {
    const FixRun* run = &root();
    while (!run->single()) {
        const FixRun& lower = this->run(run->lower);
        run = i <= lower.last ? &lower : &this->run(run->upper);
    }
    return *run;
}

const FixRun& FixTree::common(const FixRun& a, const FixRun& b) const {
    const FixRun* run = a.radius >= b.radius ? &a : &b;
    const std::size_t first = std::min(a.first, b.first), last = std::max(a.last, b.last);
    while (run->parent >= 0 && (run->first > first || run->last < last))
        run = &this->run(run->parent);
    return *run;
}

int32_t FixTree::build(std::span<const Vec3> points, std::size_t first, std::size_t last,
                       int32_t parent) {
    const auto index = int32_t(runs_.size());
    runs_.emplace_back();
    FixRun run;
    run.parent = parent;
    run.first = first;
    run.last = last;
    run.axes = frameOf(points, first, last);
    Vec3 low, high;
    low.fill(std::numeric_limits<double>::infinity());
    high.fill(-std::numeric_limits<double>::infinity());
    for (std::size_t i = first; i <= last; ++i)
        for (int k = 0; k < 3; ++k) {
            const double p = dot(points[i], run.axes[std::size_t(k)]);
            low[std::size_t(k)] = std::min(low[std::size_t(k)], p);
            high[std::size_t(k)] = std::max(high[std::size_t(k)], p);
        }
    run.centre = {};
    for (std::size_t k = 0; k < 3; ++k) {
        run.half[k] = (high[k] - low[k]) / 2;
        for (std::size_t m = 0; m < 3; ++m)
            run.centre[m] += (high[k] + low[k]) / 2 * run.axes[k][m];
    }
    if (first == last) {
        run.centre = points[first];
        run.half = {};
    }
    run.radius = std::sqrt(dot(run.half, run.half));
    double ahead = -std::numeric_limits<double>::infinity();
    for (std::size_t i = first; i <= last; ++i) {
        const double p = dot(points[i], run.axes[0]);
        ahead = std::max(ahead, p);
        run.backtrack = std::max(run.backtrack, ahead - p);
    }
    if (first < last) {
        const std::size_t middle = first + (last - first) / 2;
        run.lower = build(points, first, middle, index);
        run.upper = build(points, middle + 1, last, index);
    }
    run.excess = excessOf(points, run);
    runs_[std::size_t(index)] = run;
    return index;
}

// Short runs pair by pair; longer ones from their halves' excesses (turned to this run's axis)
// and the pairs across the halves.
double FixTree::excessOf(std::span<const Vec3> points, const FixRun& run) const {
    const Vec3& e = run.axes[0];
    double most = 0;
    if (run.last - run.first < kExactRun) {
        for (std::size_t i = run.first; i <= run.last; ++i)
            for (std::size_t j = i + 1; j <= run.last; ++j)
                most = std::max(
                    most, chordKm(points[i], points[j]) - dot(minus(points[j], points[i]), e));
        return most;
    }
    for (const int32_t half : {run.lower, run.upper}) {
        const FixRun& h = this->run(half);
        most = std::max(most, h.excess + 2 * h.support(minus(h.axes[0], e)));
    }
    return std::max(most, crossExcess(this->run(run.lower), this->run(run.upper), e));
}

// At least the most chord(p, q) - <e, q - p> over p in early and q in late (early first). Pairs
// of runs far apart are bounded by their boxes; only the two runs that meet are split further.
double FixTree::crossExcess(const FixRun& early, const FixRun& late, const Vec3& e) const {
    const auto boxed = [&e](const FixRun& p, const FixRun& q) {
        const Vec3 x = minus(q.centre, p.centre);
        const double along = dot(e, x);
        const Vec3 side = minus(x, scaled(e, along));
        const double lowest = along - p.support(e) - q.support(e);
        const double across = p.across(e) + q.across(e) + std::sqrt(dot(side, side));
        return std::hypot(lowest, across) - lowest;
    };
    if (early.single() && late.single()) return boxed(early, late);
    if (!early.single() && (late.single() || early.radius >= late.radius))
        return std::max(boxed(run(early.lower), late), crossExcess(run(early.upper), late, e));
    return std::max(boxed(early, run(late.upper)), crossExcess(early, run(late.lower), e));
}

}  // namespace kav::flight
