#include "cli/track_options.h"

#include "cli/track_selection.h"

namespace kav::cli {

void addTrackOptions(CommandLine& cl) {
    cl.add(outOption());
    cl.add(formatOption());
    cl.add(tracksOption());
    cl.add({QStringLiteral("flights"),
            QStringLiteral("Save each flight found in the tracks, from a minute before take-off "
                           "to a minute after landing, instead of each whole track.")});
    cl.addHidden(exportTimeOption());
}

std::optional<SaveRequest> trackOptions(CommandLine& cl) {
    const QCommandLineParser& p = cl.parser();
    const auto out = cl.required(QStringLiteral("out"));
    if (!out) return std::nullopt;
    SaveRequest save;
    save.folder = *out;
    QString error;
    const auto formats = parseFormats(p.value(QStringLiteral("format")), &error);
    if (!formats) return cl.usageError(error), std::nullopt;
    save.formats = *formats;
    if (p.isSet(QStringLiteral("tracks"))) {
        const auto numbers = parseTrackList(p.value(QStringLiteral("tracks")), &error);
        if (!numbers) return cl.usageError(error), std::nullopt;
        save.trackNumbers = *numbers;
    }
    save.flightsOnly = p.isSet(QStringLiteral("flights"));
    const auto moment = parseExportMoment(p.value(QStringLiteral("export-time")), &error);
    if (!moment) return cl.usageError(error), std::nullopt;
    save.exportMoment = *moment;
    return save;
}

}  // namespace kav::cli
