#pragma once
// Branch and bound over routes of five fixes in time order. A node gives each route point a run
// of the fix tree; its bound is an upper bound of the value of every route inside it, exact when
// every run is a single fix. The widest run is halved until single fixes are reached; a node
// whose bound does not beat the best route found by more than kRouteTolerance is dropped, so the
// route returned is the optimum to within that tolerance.

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <queue>
#include <vector>

#include "flight/fix_tree.h"

namespace kav::flight {

inline constexpr std::size_t kRoutePoints = 5;
using RouteRuns = std::array<const FixRun*, kRoutePoints>;
using Route = std::array<std::size_t, kRoutePoints>;

// Ten centimetres: far below what a fix says of a position (the score is shown to ten metres),
// and it keeps the long near-ties of a straight glide, where every turnpoint on the line scores
// within millimetres of the same, from being split down to the fix.
inline constexpr double kRouteTolerance = 1e-4;  // km

struct RouteResult {
    Route route{};
    double value = -std::numeric_limits<double>::infinity();
    std::size_t nodes = 0;  // bounds computed
    bool found = false;     // a route worth more than the floor
    bool proven = false;    // the search ended with no node left that could beat it
    // No route is worth more than this: the best value plus the tolerance when the search was
    // complete, else the highest bound it left.
    double upper = std::numeric_limits<double>::infinity();
};

// Bounds a search may compute before it stops with the best route found and the highest bound
// left: a ceiling on time for flights whose noise defeats the bounds.
inline constexpr std::size_t kRouteBudget = 2'000'000;
// Nodes split between two dives to a single route.
inline constexpr std::size_t kDiveEvery = 1024;

inline RouteRuns runsAt(const FixTree& tree, const Route& route) {
    RouteRuns runs;
    for (std::size_t k = 0; k < kRoutePoints; ++k) runs[k] = &tree.single(route[k]);
    return runs;
}

// Narrows each run to the smallest run of the tree that holds every fix it may take with the
// route in time order; false when there is none.
inline bool narrow(const FixTree& tree, RouteRuns& runs) {
    std::array<std::size_t, kRoutePoints> low{}, high{};
    for (std::size_t k = 0; k < kRoutePoints; ++k)
        low[k] = std::max(runs[k]->first, k > 0 ? low[k - 1] : 0);
    for (std::size_t k = kRoutePoints; k-- > 0;)
        high[k] = std::min(runs[k]->last, k + 1 < kRoutePoints ? high[k + 1] : runs[k]->last);
    for (std::size_t k = 0; k < kRoutePoints; ++k) {
        if (low[k] > high[k]) return false;
        while (!runs[k]->single()) {
            const FixRun& lower = tree.run(runs[k]->lower);
            if (lower.last < low[k])
                runs[k] = &tree.run(runs[k]->upper);
            else if (lower.last >= high[k])
                runs[k] = &lower;
            else
                break;
        }
    }
    return true;
}

// bound(runs) -> double. Best first: the node of highest bound is split next, so the search
// ends, with its proof, when no node left can beat the best route by more than the tolerance;
// it stops early after budget bounds. It starts from start (runs in time order); routes worth
// no more than floor are not looked for.
template <typename Bound>
RouteResult searchRoutes(const FixTree& tree, const RouteRuns& start, Bound bound, double floor) {
    struct Node {
        std::array<int32_t, kRoutePoints> runs;
        double bound;
        bool operator<(const Node& other) const { return bound < other.bound; }
    };
    RouteResult best;
    best.value = floor;
    best.upper = floor;
    best.proven = tree.empty();
    if (tree.empty()) return best;
    std::priority_queue<Node> open;
    const auto widestOf = [](const RouteRuns& runs) {
        std::size_t widest = kRoutePoints;
        for (std::size_t k = 0; k < kRoutePoints; ++k)
            if (!runs[k]->single() &&
                (widest == kRoutePoints || runs[k]->radius > runs[widest]->radius))
                widest = k;
        return widest;
    };
    const auto children = [&tree](const RouteRuns& runs, std::size_t widest) {
        std::vector<RouteRuns> halves;
        for (const int32_t half : {runs[widest]->lower, runs[widest]->upper}) {
            RouteRuns child = runs;
            child[widest] = &tree.run(half);
            if (narrow(tree, child)) halves.push_back(child);
        }
        return halves;
    };
    const auto found = [&best](const RouteRuns& runs, double value) {
        if (value <= best.value) return;
        best.value = value;
        best.found = true;
        for (std::size_t k = 0; k < kRoutePoints; ++k) best.route[k] = runs[k]->first;
    };
    // Down the more promising half to a single route: a good best route early, which best
    // first alone meets late where many nodes bound alike (a long straight glide).
    const auto dive = [&](RouteRuns runs) {
        for (std::size_t widest = widestOf(runs); widest < kRoutePoints; widest = widestOf(runs)) {
            double highest = -std::numeric_limits<double>::infinity();
            for (const RouteRuns& child : children(runs, widest)) {
                const double b = bound(child);
                ++best.nodes;
                if (b > highest) {
                    highest = b;
                    runs = child;
                }
            }
            if (highest == -std::numeric_limits<double>::infinity()) return;
        }
        found(runs, bound(runs));
    };
    const auto add = [&](const RouteRuns& runs) {
        Node node;
        for (std::size_t k = 0; k < kRoutePoints; ++k) node.runs[k] = tree.indexOf(*runs[k]);
        node.bound = bound(runs);
        ++best.nodes;
        if (node.bound > best.value + kRouteTolerance) open.push(node);
    };
    dive(start);
    add(start);
    for (std::size_t split = 0; !open.empty() && open.top().bound > best.value + kRouteTolerance;
         ++split) {
        if (best.nodes >= kRouteBudget) {
            best.upper = std::max(best.upper, open.top().bound);
            return best;
        }
        const Node node = open.top();
        open.pop();
        RouteRuns runs;
        for (std::size_t k = 0; k < kRoutePoints; ++k) runs[k] = &tree.run(node.runs[k]);
        const std::size_t widest = widestOf(runs);
        if (widest == kRoutePoints) {
            found(runs, node.bound);
            continue;
        }
        if (split % kDiveEvery == 0) dive(runs);
        for (const RouteRuns& child : children(runs, widest)) add(child);
    }
    best.upper = std::max({best.upper, best.value + kRouteTolerance});
    best.proven = true;
    return best;
}

}  // namespace kav::flight
