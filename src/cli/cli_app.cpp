#include "cli/cli_app.h"

#include "cli/console.h"
#include "kav/version.h"

namespace kav::cli {

namespace {

struct Subcommand {
    const char* name;
    int (*run)(const QStringList&);
    const char* summary;
};

constexpr Subcommand kSubcommands[] = {
    {"info", runInfo, "show the logger's version, serial number, memory use and log criteria"},
    {"download", runDownload, "read the logger's memory and save its tracks"},
    {"list", runList, "list the tracks of a raw log file"},
    {"convert", runConvert, "save the tracks of a raw log file"},
    {"score", runScore, "score the flights of a raw log file or an IGC file"},
    {"config", runConfig, "send new logging criteria to the logger"},
    {"erase", runErase, "clear the logger's memory"},
    {"watch", runWatch, "download every logger plugged in, one after another"},
    {"logbook", runLogbook, "list the flights in the logbook and their totals per year"},
#ifdef KAV_HAVE_EMULATOR
    {"demo", runDemo, "download the built-in emulated logger over a pseudo-terminal"},
#endif
};

QString overview() {
    QString text = QStringLiteral(
        "Usage: kav-skytraq-cli <command> [options]\n\n"
        "Empties a GT730 GPS track logger over its serial port and saves its tracks as GAC, KML "
        "or GPX files.\n\nCommands:\n");
    for (const Subcommand& c : kSubcommands)
        text += QStringLiteral("  %1%2\n")
                    .arg(QLatin1String(c.name), -10)
                    .arg(QLatin1String(c.summary));
    text += QStringLiteral(
                "\nRun 'kav-skytraq-cli <command> --help' for the options of a "
                "command.\n\n") +
            exitStatusHelp();
    return text.trimmed();
}

}  // namespace

int runCli(const QStringList& args) {
    ignoreClosedOutput();
    if (args.isEmpty()) {
        printErr(overview());
        return kExitUsage;
    }
    const QString& name = args.first();
    if (name == QStringLiteral("--help") || name == QStringLiteral("-h") ||
        name == QStringLiteral("help")) {
        printOut(overview());
        return kExitOk;
    }
    if (name == QStringLiteral("--version")) {
        printOut(QStringLiteral("kav-skytraq-cli " KAV_VERSION));
        return kExitOk;
    }
    for (const Subcommand& c : kSubcommands)
        if (name == QLatin1String(c.name)) return c.run(args);
    printErr(QStringLiteral("kav-skytraq-cli: unknown command '%1' (try --help)").arg(name));
    return kExitUsage;
}

}  // namespace kav::cli
