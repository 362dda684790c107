#include "flight/leg_bounds.h"

#include <algorithm>
#include <cmath>

namespace kav::flight {

namespace {

bool nested(const FixRun& a, const FixRun& b) {
    return !(a.last < b.first || b.last < a.first);
}

// The longest chord between a point of a and a point of b.
double longestChord(const FixRun& a, const FixRun& b) {
    if (&a == &b) return 2 * a.radius;
    const double apart = chordKm(a.centre, b.centre) + a.radius + b.radius;
    if (!nested(a, b)) return apart;
    return std::min(apart, 2 * std::max(a.radius, b.radius));
}

Vec3 between(const FixRun& a, const FixRun& b) {
    return {b.centre[0] - a.centre[0], b.centre[1] - a.centre[1], b.centre[2] - a.centre[2]};
}

// A leg expanded along unit vector e: its chord is at most <e, x> + <e, v - u> + remainder.
struct Expansion {
    Vec3 e;
    double along;  // <e, x>
    double remainder;
};

// sqrt(t^2 + s^2) - t falls as t grows: its largest value over t >= lowest, s <= across.
double remainderOver(double lowest, double across) {
    return std::hypot(lowest, across) - lowest;
}

// Runs apart, along the line of their centres (x = D e).
Expansion apart(const FixRun& a, const FixRun& b, const Vec3& x, double d) {
    const Vec3 e{x[0] / d, x[1] / d, x[2] / d};
    const double lowest = d - a.support(e) - b.support(e);
    return {e, d, remainderOver(lowest, a.across(e) + b.across(e))};
}

// One run inside the other (or both the same), the earlier point in a: along the outer run's
// axis the later point is behind by at most that run's backtrack.
Expansion inside(const FixRun& a, const FixRun& b, const Vec3& x) {
    const FixRun& outer = a.radius >= b.radius ? a : b;
    const Vec3& e = outer.axes[0];
    const double along = dot(e, x);
    const Vec3 side{x[0] - along * e[0], x[1] - along * e[1], x[2] - along * e[2]};
    const double across =
        std::min(2 * outer.across(e), a.across(e) + b.across(e) + std::sqrt(dot(side, side)));
    const double lowest = std::max(-outer.backtrack, along - a.support(e) - b.support(e));
    return {e, along, remainderOver(lowest, across)};
}

// Both runs inside the smallest run that holds them, the earlier point in a: the chord is at
// most its advance along that run's axis plus the run's excess.
Expansion within(const FixRun& a, const FixRun& b, const Vec3& x, const FixTree& tree) {
    const FixRun& shared = tree.common(a, b);
    const Vec3& e = shared.axes[0];
    return {e, dot(e, x), shared.excess};
}

}  // namespace

double longestKm(const FixRun& a, const FixRun& b, const SurfaceDistance& distance) {
    return distance.arcKm(longestChord(a, b));
}

double shortestKm(const FixRun& a, const FixRun& b, const SurfaceDistance& distance) {
    if (nested(a, b)) return 0;
    return distance.arcKm(std::max(0.0, chordKm(a.centre, b.centre) - a.radius - b.radius));
}

// Two bounds, the smaller returned. The box bound takes each leg at its longest. The second
// expands each leg along a unit vector e (points c + u and c' + v of runs with centres c, c',
// x = c' - c): with t = <e, x + v - u> and s the part of x + v - u across e, the chord
// sqrt(t^2 + s^2) is t plus a remainder that falls as t grows, so is at most t plus the
// remainder at the least t the boxes allow. Runs apart take e along x; runs one inside the other
// take the outer run's axis, along which the later point is behind by at most the run's backtrack.
// The arc over a chord of at most C is at most arc(C) / C times the chord, so each leg weighs its
// linear terms by that ratio; a route point's terms are summed over its legs and bounded by its
// box's support. Where a route runs straight the terms of its turnpoints cancel, so the bound stays
// close to the best route inside the node.
double legsBound(const RouteRuns& runs, std::span<const Leg> legs, const FixTree& tree,
                 const SurfaceDistance& distance) {
    double boxes = 0, expanded = 0;
    std::array<Vec3, kRoutePoints> weights{};
    for (const Leg& given : legs) {
        const Leg leg{std::min(given.from, given.to), std::max(given.from, given.to)};
        const FixRun& a = *runs[leg.from];
        const FixRun& b = *runs[leg.to];
        const double chord = longestChord(a, b);
        const double longest = distance.arcKm(chord);
        boxes += longest;
        const Vec3 x = between(a, b);
        const double d = std::sqrt(dot(x, x));
        if (chord == 0 || (!nested(a, b) && d == 0)) {
            expanded += longest;
            continue;
        }
        Expansion ex = nested(a, b) ? inside(a, b, x) : apart(a, b, x, d);
        if (const Expansion shared = within(a, b, x, tree);
            shared.along + shared.remainder < ex.along + ex.remainder)
            ex = shared;
        const double weight = longest / chord;
        if (ex.along + ex.remainder >= chord) {
            expanded += longest;
            continue;
        }
        expanded += weight * (ex.along + ex.remainder);
        for (std::size_t k = 0; k < 3; ++k) {
            weights[leg.to][k] += weight * ex.e[k];
            weights[leg.from][k] -= weight * ex.e[k];
        }
    }
    for (std::size_t k = 0; k < kRoutePoints; ++k) expanded += runs[k]->support(weights[k]);
    return std::min(boxes, expanded);
}

double legsKm(std::span<const Vec3> points, const Route& route, std::span<const Leg> legs,
              const SurfaceDistance& distance) {
    double km = 0;
    for (const Leg& leg : legs) km += distance.km(points[route[leg.from]], points[route[leg.to]]);
    return km;
}

}  // namespace kav::flight
