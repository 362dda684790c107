#pragma once
// TraceGridFilter as a pure rule: which tracks the "Short list" hides, where the mark goes,
// which track is plotted and whether the box should stay visible.

#include <span>
#include <vector>

#include "log/track_list.h"

namespace kav::browse {

constexpr int kTimeFilterSeconds = 600;

struct ShortListInput {
    std::span<const kav::log::Track> tracks;
    int mark = -1;              // the marked track before the pass, -1 for none
    bool on = false;            // the box's new state
    bool boxWasWanted = false;  // the box's visibility before the pass
    int minSeconds = kTimeFilterSeconds;
};

struct ShortListResult {
    std::vector<bool> hidden;  // one flag per track
    int mark = -1;             // the marked track after the pass, -1 for none
    int plotTrack = -1;        // the track to plot, -1 for none
    bool boxWanted = false;
};

// A track's length in whole seconds, from the full date-times of its first and last fixes.
long long trackSeconds(const kav::log::Track& track);

ShortListResult TraceGridFilter(const ShortListInput& in);

}  // namespace kav::browse
