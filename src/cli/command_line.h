#pragma once
// Parsing one subcommand's arguments: --help, errors with a one-line reason, and the options
// several subcommands share.

#include <optional>
#include <vector>

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "cli/exit_status.h"
#include "export/track_export.h"

namespace kav::cli {

class CommandLine {
  public:
    // name is the subcommand, usage its synopsis and description its help text.
    CommandLine(const QString& name, const QString& usage, const QString& description);

    QCommandLineParser& parser() { return parser_; }
    void add(const QCommandLineOption& option) { parser_.addOption(option); }
    void addHidden(QCommandLineOption option);

    // Parses args (subcommand name first). Returns an exit status when the command is over:
    // 0 after printing --help (with the exit statuses), 64 after a usage error; nullopt when
    // the command should run.
    std::optional<int> parse(const QStringList& args);
    // "kav-skytraq-cli <name>: ", the start of every message line of the command.
    QString prefix() const;
    // Prints prefix() + text on standard error.
    void warn(const QString& text) const;
    // Prints "kav-skytraq-cli <name>: text" on standard error and returns the usage status.
    int usageError(const QString& text) const;
    // The same for a failure while running; returns status.
    int failure(const QString& text, int status = kExitFailure) const;
    // A required option's value, or nullopt after reporting it missing.
    std::optional<QString> required(const QString& option) const;

    const QString& name() const { return name_; }

  private:
    QString name_;
    QString usage_;
    QCommandLineParser parser_;
};

// The shared options.
QCommandLineOption portOption();
QCommandLineOption outOption();
QCommandLineOption formatOption();
QCommandLineOption tracksOption();
QCommandLineOption exportTimeOption();  // hidden: the export moment, for reproducible files

// "gac", "kml", "gpx", "igc", "all" or a comma list of them; nullopt (with error) otherwise.
std::optional<std::vector<kav::exporting::TrackFormat>> parseFormats(const QString& text,
                                                                     QString* error);
// An ISO 8601 date-time (UTC unless it says otherwise); empty text gives the current time.
std::optional<QDateTime> parseExportMoment(const QString& text, QString* error);

// The help text shared by the commands that save tracks.
QString fileNamingHelp();

}  // namespace kav::cli
