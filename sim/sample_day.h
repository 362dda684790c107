#pragma once
// The built-in sample: a few days of flying in GPS week 2209 (May 2022), one fix a second.
//   track 1  Monday, 60 s at an Alpine take-off, then a pause of 3338 s (a compact record whose
//            time step is 0D 0A on the wire) at the same spot
//   track 2  the Alpine flight, about 1 h 25 min, climbs to about 2,600 m; one 20-s drop-out
//            inside it (not a cut)
//   track 3  Monday afternoon, a hop of four minutes from another take-off
//   track 4  Tuesday to Wednesday, a flight near Tahiti (south, west) that crosses midnight UTC
// The first record of sector 0 is full with a time of week of 10 mod 16, so its bytes 2 and 3
// are A0 A1.

#include <vector>

#include "log/fix_types.h"

namespace kav::sim {

std::vector<log::TDataECEF> sampleFixes();

}  // namespace kav::sim
