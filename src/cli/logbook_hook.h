#pragma once
// The logbook of the commands that read flights: --logbook PATH and --no-logbook, and the
// flights of what was read recorded once its files are saved.

#include <cstddef>
#include <optional>

#include <QString>

#include "cli/command_line.h"
#include "cli/track_saver.h"
#include "log/track_list.h"

namespace kav::cli {

// What was read, as the logbook needs it.
struct ReadFlights {
    const kav::log::LogCollection& log;
    QString serialNumber;
    std::optional<std::size_t> incompleteTrack;  // its flights are left out
    const SaveReport* saved = nullptr;           // the files written, if any
};

// --logbook PATH, and --no-logbook when the user's logbook is written by default.
void addLogbookOptions(CommandLine& cl, bool byDefault = true);
// The logbook the options name, empty for none (by default the user's, or none); nullopt
// after a usage error.
std::optional<QString> logbookPath(CommandLine& cl, bool byDefault = true);

// Adds the flights read to the logbook at path (nothing when path is empty) and says on
// standard error how many were new, or why the logbook was not written: the files are saved
// before and stay saved. True when the logbook holds them.
bool recordFlights(const QString& path, const ReadFlights& read, const QString& prefix);

}  // namespace kav::cli
