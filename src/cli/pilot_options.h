#pragma once
// --pilots and --name-style, for the commands that name a logger's files after its pilot.

#include <optional>

#include "cli/command_line.h"
#include "cli/pilot_list.h"

namespace kav::cli {

struct PilotNaming {
    std::optional<PilotList> pilots;
    NameStyle style = NameStyle::NameDotId;
};

// what: what the pilots file names, for the option's help ("each listed logger's files").
void addPilotOptions(CommandLine& cl, const QString& what);
// The pilots file read and the style; nullopt after a usage error has been reported.
std::optional<PilotNaming> pilotOptions(CommandLine& cl);

}  // namespace kav::cli
