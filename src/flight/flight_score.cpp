#include "flight/flight_score.h"

#include <algorithm>
#include <bit>
#include <vector>

#include "flight/closing_gap.h"
#include "flight/leg_bounds.h"
#include "flight/score_rules.h"
#include "flight/triangle_rules.h"

namespace kav::flight {

namespace {

// Free distance: start, three turnpoints, finish. A turnpoint on the fix before or after it
// makes a leg of nothing, so routes with fewer turnpoints are among them.
constexpr Leg kFreeLegs[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}};
// Triangles: the closing points 0 and 4 around the corners 1, 2, 3.
constexpr Leg kSides[] = {{1, 2}, {2, 3}, {3, 1}};

std::vector<Vec3> surfacePoints(std::span<const FlightFix> fixes) {
    std::vector<Vec3> points;
    points.reserve(fixes.size());
    for (const FlightFix& f : fixes) points.push_back(surfacePoint(f.lat, f.lon));
    return points;
}

struct Prepared {
    explicit Prepared(std::span<const FlightFix> fixes)
        : distance(SurfaceDistance::around(fixes)), points(surfacePoints(fixes)), tree(points) {}

    SurfaceDistance distance;
    std::vector<Vec3> points;
    FixTree tree;
};

ScorePoint scorePoint(std::span<const FlightFix> fixes, std::size_t i) {
    return {i, fixes[i]};
}

RouteResult bestFreeDistance(const Prepared& p, ScoreRules rules) {
    RouteRuns start;
    start.fill(&p.tree.root());
    const double factor = freeDistanceFactor(rules);
    return searchRoutes(
        p.tree, start,
        [&](const RouteRuns& runs) {
            return factor * legsBound(runs, kFreeLegs, p.tree, p.distance);
        },
        -1);
}

// The closing gap of the triangles of a node: between the flight's ends, or the shortest
// before the first corner's run ends and after the last corner's run begins.
double closingBound(const RouteRuns& runs, const Prepared& p, ScoreRules rules, ClosingGaps& gaps) {
    if (closesAtEnds(rules)) return p.distance.km(p.points.front(), p.points.back());
    // Coarse runs ask at coarser fixes (a later first corner, an earlier last: a gap no
    // longer), so the answers are shared between nodes.
    std::size_t a = runs[1]->last, b = runs[3]->first;
    const std::size_t step = std::bit_floor(
        std::min(runs[1]->last - runs[1]->first, runs[3]->last - runs[3]->first) + 1);
    const std::size_t coarseA = std::min((a / step + 1) * step - 1, p.points.size() - 1);
    const std::size_t coarseB = b / step * step;
    if (coarseA <= coarseB) {
        a = coarseA;
        b = coarseB;
    }
    return p.distance.arcKm(gaps.closest(a, b).chord);
}

// The triangle's score from its runs' bounds; exact for single fixes.
TriangleValue triangleBound(const RouteRuns& runs, const Prepared& p, ScoreRules rules,
                            ClosingGaps& gaps) {
    std::array<double, 3> longest{}, shortest{};
    for (std::size_t i = 0; i < 3; ++i) {
        longest[i] = longestKm(*runs[kSides[i].from], *runs[kSides[i].to], p.distance);
        shortest[i] = shortestKm(*runs[kSides[i].from], *runs[kSides[i].to], p.distance);
    }
    return bestTriangleRule(longest, shortest, legsBound(runs, kSides, p.tree, p.distance),
                            closingBound(runs, p, rules, gaps), triangleRules(rules));
}

// The closing points are not searched: the first and last route points stay at the flight's
// ends and the gap comes from the corners' runs.
RouteResult bestTriangle(const Prepared& p, ScoreRules rules, double floor) {
    RouteRuns start;
    start.fill(&p.tree.root());
    start.front() = &p.tree.single(0);
    start.back() = &p.tree.single(p.points.size() - 1);
    ClosingGaps gaps(p.tree, p.points);
    RouteResult found = searchRoutes(
        p.tree, start,
        [&](const RouteRuns& runs) { return triangleBound(runs, p, rules, gaps).points; }, floor);
    if (found.found && !closesAtEnds(rules)) {
        const ClosingPair& pair = gaps.closest(found.route[1], found.route[3]);
        found.route[0] = pair.start;
        found.route[4] = pair.end;
    }
    return found;
}

void describeFreeDistance(FlightScore& score, const RouteResult& found,
                          std::span<const FlightFix> fixes, const Prepared& p) {
    score.type = ScoreType::FreeDistance;
    score.factor = freeDistanceFactor(score.rules);
    score.km = legsKm(p.points, found.route, kFreeLegs, p.distance);
    score.points = score.km * score.factor;
    for (std::size_t k = 0; k < kRoutePoints; ++k)
        if (k == 0 || found.route[k] != found.route[k - 1])
            score.turnpoints.push_back(scorePoint(fixes, found.route[k]));
    if (score.turnpoints.size() == 1) score.turnpoints.push_back(score.turnpoints.front());
}

void describeTriangle(FlightScore& score, const RouteResult& found,
                      std::span<const FlightFix> fixes, const Prepared& p) {
    std::array<double, 3> sides{};
    for (std::size_t i = 0; i < 3; ++i)
        sides[i] = p.distance.km(p.points[found.route[kSides[i].from]],
                                 p.points[found.route[kSides[i].to]]);
    score.perimeterKm = sides[0] + sides[1] + sides[2];
    score.closingKm = p.distance.km(p.points[found.route[0]], p.points[found.route[4]]);
    const TriangleValue value = bestTriangleRule(sides, sides, score.perimeterKm, score.closingKm,
                                                 triangleRules(score.rules));
    score.type = value.rule->type;
    score.factor = value.rule->factor;
    score.km = score.perimeterKm - (value.rule->closingDeducted ? score.closingKm : 0);
    score.points = score.km * score.factor;
    for (std::size_t k = 1; k <= 3; ++k)
        score.turnpoints.push_back(scorePoint(fixes, found.route[k]));
    score.closingStart = scorePoint(fixes, found.route[0]);
    score.closingEnd = scorePoint(fixes, found.route[4]);
}

}  // namespace

FlightScore scoreFlight(std::span<const FlightFix> fixes, ScoreRules rules) {
    FlightScore score;
    score.rules = rules;
    if (fixes.size() < 2) return score;
    const Prepared prepared(fixes);
    const RouteResult free = bestFreeDistance(prepared, rules);
    const RouteResult triangle = bestTriangle(prepared, rules, free.value);
    score.searched = free.nodes + triangle.nodes;
    score.upperPoints = std::max(free.upper, triangle.upper);
    score.proven = free.proven && triangle.proven;
    if (triangle.found)
        describeTriangle(score, triangle, fixes, prepared);
    else
        describeFreeDistance(score, free, fixes, prepared);
    return score;
}

QString scoreTypeName(ScoreType type) {
    switch (type) {
        case ScoreType::None:
            return QStringLiteral("none");
        case ScoreType::FreeDistance:
            return QStringLiteral("free distance");
        case ScoreType::FlatTriangle:
            return QStringLiteral("flat triangle");
        case ScoreType::FaiTriangle:
            return QStringLiteral("FAI triangle");
        case ScoreType::ClosedFlatTriangle:
            return QStringLiteral("closed flat triangle");
        case ScoreType::ClosedFaiTriangle:
            return QStringLiteral("closed FAI triangle");
    }
    return {};
}

QString scoreRulesName(ScoreRules rules) {
    return rules == ScoreRules::Ffvl ? QStringLiteral("ffvl") : QStringLiteral("xcontest");
}

std::optional<ScoreRules> scoreRulesFromName(const QString& name) {
    if (name.compare(QStringLiteral("xcontest"), Qt::CaseInsensitive) == 0)
        return ScoreRules::XContest;
    if (name.compare(QStringLiteral("ffvl"), Qt::CaseInsensitive) == 0) return ScoreRules::Ffvl;
    return std::nullopt;
}

}  // namespace kav::flight
