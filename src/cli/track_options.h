#pragma once
// The options of the commands that save tracks: --out, --format, --tracks, --flights and the
// hidden --export-time.

#include <optional>

#include "cli/command_line.h"
#include "cli/track_saver.h"

namespace kav::cli {

void addTrackOptions(CommandLine& cl);
// The save request those options describe, or nullopt after a usage error has been reported.
std::optional<SaveRequest> trackOptions(CommandLine& cl);

}  // namespace kav::cli
