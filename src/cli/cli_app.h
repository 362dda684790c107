#pragma once
// The subcommands of kav-skytraq-cli and their dispatch.

#include <QStringList>

#include "cli/exit_status.h"

namespace kav::cli {

// Runs the subcommand named by args[0] with the rest of args; returns the exit status.
// Needs a QCoreApplication.
int runCli(const QStringList& args);

// The subcommands, each given its own arguments (its name first).
int runInfo(const QStringList& args);
int runDownload(const QStringList& args);
int runList(const QStringList& args);
int runConvert(const QStringList& args);
int runScore(const QStringList& args);
int runConfig(const QStringList& args);
int runErase(const QStringList& args);
int runWatch(const QStringList& args);
int runDemo(const QStringList& args);
int runLogbook(const QStringList& args);

}  // namespace kav::cli
