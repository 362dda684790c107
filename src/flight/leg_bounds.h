#pragma once
// Upper and lower bounds of route lengths over the runs of a route search node.

#include <span>

#include "flight/route_search.h"
#include "flight/surface_distance.h"

namespace kav::flight {

struct Leg {
    std::size_t from, to;  // route points
};

// The longest and the shortest distance between a point of run a and a point of run b.
double longestKm(const FixRun& a, const FixRun& b, const SurfaceDistance& distance);
double shortestKm(const FixRun& a, const FixRun& b, const SurfaceDistance& distance);

// An upper bound of the summed lengths of legs over every route in runs; exact for single fixes.
double legsBound(const RouteRuns& runs, std::span<const Leg> legs, const FixTree& tree,
                 const SurfaceDistance& distance);

// The summed lengths of legs along route over points.
double legsKm(std::span<const Vec3> points, const Route& route, std::span<const Leg> legs,
              const SurfaceDistance& distance);

}  // namespace kav::flight
