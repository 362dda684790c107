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
#include <vector>

#include "flight/fix_tree.h"

namespace kav::flight {

inline constexpr std::size_t kRoutePoints = 5;
using RouteRuns = std::array<const FixRun*, kRoutePoints>;
using Route = std::array<std::size_t, kRoutePoints>;

// One millimetre: far below what a fix says of a position, and it keeps the long ties of a
// straight glide (where every turnpoint on the line scores the same) from being split to the fix.
inline constexpr double kRouteTolerance = 1e-6;  // km

struct RouteResult {
    Route route{};
    double value = -std::numeric_limits<double>::infinity();
    std::size_t nodes = 0;  // bounds computed
    bool found = false;     // a route worth more than the floor
    // No route is worth more than this: the best value plus the tolerance when the search was
    // complete, else the highest bound it left.
    double upper = std::numeric_limits<double>::infinity();
};

// Bounds a search may compute before it stops with the best route found and the highest bound
// left: a ceiling on time for flights whose noise defeats the bounds.
inline constexpr std::size_t kRouteBudget = 2'000'000;

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

// bound(runs) -> double. The search starts from start (runs in time order); routes worth no
// more than floor, or no more than tolerance above the best found, are not looked for.
template <typename Bound>
RouteResult searchOnce(const FixTree& tree, const RouteRuns& start, Bound bound, double floor,
                       double tolerance, std::size_t budget) {
    struct Node {
        std::array<int32_t, kRoutePoints> runs;
        double bound;
    };
    RouteResult best;
    best.value = floor;
    if (tree.empty()) return best;
    auto runsOf = [&tree](const Node& n) {
        RouteRuns r;
        for (std::size_t k = 0; k < kRoutePoints; ++k) r[k] = &tree.run(n.runs[k]);
        return r;
    };
    std::vector<Node> stack;
    Node root{};
    for (std::size_t k = 0; k < kRoutePoints; ++k) root.runs[k] = tree.indexOf(*start[k]);
    root.bound = bound(start);
    ++best.nodes;
    stack.push_back(root);
    while (!stack.empty()) {
        if (best.nodes >= budget) {
            best.upper = best.value + tolerance;
            for (const Node& left : stack) best.upper = std::max(best.upper, left.bound);
            return best;
        }
        const Node node = stack.back();
        stack.pop_back();
        if (node.bound <= best.value + tolerance) continue;
        const RouteRuns runs = runsOf(node);
        std::size_t widest = kRoutePoints;
        for (std::size_t k = 0; k < kRoutePoints; ++k)
            if (!runs[k]->single() &&
                (widest == kRoutePoints || runs[k]->radius > runs[widest]->radius))
                widest = k;
        if (widest == kRoutePoints) {
            best.value = node.bound;
            best.found = true;
            for (std::size_t k = 0; k < kRoutePoints; ++k) best.route[k] = runs[k]->first;
            continue;
        }
        std::array<Node, 2> children{};
        std::size_t count = 0;
        for (const int32_t half : {runs[widest]->lower, runs[widest]->upper}) {
            RouteRuns childRuns = runs;
            childRuns[widest] = &tree.run(half);
            if (!narrow(tree, childRuns)) continue;
            Node child;
            for (std::size_t k = 0; k < kRoutePoints; ++k)
                child.runs[k] = tree.indexOf(*childRuns[k]);
            child.bound = bound(childRuns);
            ++best.nodes;
            if (child.bound > best.value + tolerance) children[count++] = child;
        }
        // The more promising child is taken first: it is pushed last.
        if (count == 2 && children[0].bound > children[1].bound)
            std::swap(children[0], children[1]);
        for (std::size_t c = 0; c < count; ++c) stack.push_back(children[c]);
    }
    best.upper = best.value + tolerance;
    return best;
}

// The search to within kRouteTolerance, led by coarser ones: a route found within a metre
// prunes the finer search from its start, which otherwise meets the best routes late.
template <typename Bound>
RouteResult searchRoutes(const FixTree& tree, const RouteRuns& start, Bound bound, double floor) {
    RouteResult best;
    best.value = floor;
    std::size_t nodes = 0;
    for (const double tolerance : {1e-3, 1e-4, 1e-5, kRouteTolerance}) {
        RouteResult found =
            searchOnce(tree, start, bound, best.value, tolerance, kRouteBudget - nodes);
        nodes += found.nodes;
        best.upper = found.upper;
        if (found.found) {
            best.route = found.route;
            best.found = true;
            best.value = found.value - tolerance;  // the next search finds it again, or better
        }
        if (nodes >= kRouteBudget) break;
    }
    if (best.found) best.value = bound(runsAt(tree, best.route));
    best.upper = std::max(best.upper, best.value);
    best.nodes = nodes;
    return best;
}

}  // namespace kav::flight
