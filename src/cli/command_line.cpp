#include "cli/command_line.h"

#include <algorithm>

#include <QTimeZone>

#include "cli/cli_app.h"
#include "cli/console.h"

namespace kav::cli {

using kav::exporting::TrackFormat;

CommandLine::CommandLine(const QString& name, const QString& usage, const QString& description)
    : name_(name), usage_(usage) {
    parser_.setApplicationDescription(description);
    parser_.addHelpOption();
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
}

void CommandLine::addHidden(QCommandLineOption option) {
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser_.addOption(option);
}

std::optional<int> CommandLine::parse(const QStringList& args) {
    // The subcommand's name stands where the parser expects the program's.
    const QStringList& withProgram = args;
    if (!parser_.parse(withProgram)) return usageError(parser_.errorText());
    if (parser_.isSet(QStringLiteral("help"))) {
        QString help = parser_.helpText();
        // Qt's first line names the program only; show the subcommand's synopsis instead.
        help.replace(0, help.indexOf(u'\n'),
                     QStringLiteral("Usage: kav-skytraq-cli ") + name_ + u' ' + usage_);
        printOut(help.trimmed() + QStringLiteral("\n\n") + exitStatusHelp().trimmed());
        return kExitOk;
    }
    return std::nullopt;
}

QString CommandLine::prefix() const {
    return QStringLiteral("kav-skytraq-cli %1: ").arg(name_);
}

void CommandLine::warn(const QString& text) const {
    printErr(prefix() + text);
}

int CommandLine::usageError(const QString& text) const {
    warn(text);
    return kExitUsage;
}

int CommandLine::failure(const QString& text, int status) const {
    warn(text);
    return status;
}

std::optional<QString> CommandLine::required(const QString& option) const {
    const QString value = parser_.value(option);
    if (value.isEmpty()) {
        usageError(QStringLiteral("--%1 is required").arg(option));
        return std::nullopt;
    }
    return value;
}

QCommandLineOption portOption() {
    return {QStringLiteral("port"),
            QStringLiteral("Serial port of the logger: a name such as ttyUSB0, COM7 or ttySIM0, "
                           "or a device path."),
            QStringLiteral("P")};
}

QCommandLineOption outOption() {
    return {QStringLiteral("out"),
            QStringLiteral("Folder for the track files (created if needed)."),
            QStringLiteral("DIR")};
}

QCommandLineOption formatOption() {
    return {QStringLiteral("format"),
            QStringLiteral("gac, kml, gpx, igc, all, or a comma list of them (default gac)."),
            QStringLiteral("F"), QStringLiteral("gac")};
}

QCommandLineOption tracksOption() {
    return {QStringLiteral("tracks"),
            QStringLiteral("Tracks to save, numbered from 1: e.g. 1,3-5 (default all)."),
            QStringLiteral("LIST")};
}

QCommandLineOption exportTimeOption() {
    return {QStringLiteral("export-time"), QStringLiteral("Export moment (ISO 8601)."),
            QStringLiteral("TIME")};
}

std::optional<std::vector<TrackFormat>> parseFormats(const QString& text, QString* error) {
    std::vector<TrackFormat> formats;
    const auto add = [&formats](TrackFormat f) {
        if (std::find(formats.begin(), formats.end(), f) == formats.end()) formats.push_back(f);
    };
    for (const QString& part : text.split(u',')) {
        const QString word = part.trimmed();
        if (word.compare(QStringLiteral("all"), Qt::CaseInsensitive) == 0) {
            for (TrackFormat f :
                 {TrackFormat::Gac, TrackFormat::Kml, TrackFormat::Gpx, TrackFormat::Igc})
                add(f);
        } else if (const auto f = kav::exporting::formatFromExtension(word);
                   f && !word.startsWith(u'.')) {
            add(*f);
        } else {
            *error = QStringLiteral("unknown format '%1' (gac, kml, gpx, igc or all)").arg(word);
            return std::nullopt;
        }
    }
    return formats;
}

std::optional<QDateTime> parseExportMoment(const QString& text, QString* error) {
    if (text.isEmpty()) return QDateTime::currentDateTimeUtc();
    QDateTime moment = QDateTime::fromString(text, Qt::ISODate);
    if (!moment.isValid()) {
        *error = QStringLiteral("'%1' is not an ISO 8601 date-time").arg(text);
        return std::nullopt;
    }
    if (moment.timeSpec() == Qt::LocalTime) moment.setTimeSpec(Qt::UTC);
    return moment.toUTC();
}

QString fileNamingHelp() {
    return QStringLiteral(
        "Each track is saved as <serial>_<start>.<ext>, <serial> being the logger's serial "
        "number (\"log\" when unknown) and <start> the UTC start of the track as "
        "yyyy-MM-dd_HHmmss; an IGC file takes the IGC long name YYYY-MM-DD-XXX-SSS-NN.igc, SSS "
        "made from the serial number and NN the flight of the day. An existing file is never "
        "replaced: the name then gets _1, _2, ... "
        "before its extension.");
}

}  // namespace kav::cli
