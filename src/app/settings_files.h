#pragma once
// The two settings files: data_folder.cfg beside the executable names the folder of Connexion.cfg,
// whose eight lines hold the Parameters dialog's settings.

#include <optional>

#include <QString>
#include <QStringList>

namespace kav::app {

inline constexpr int kConnexionLineCount = 8;

enum class SettingsStatus {
    Done,     // read or written
    Missing,  // a file is missing: show message as a plain message
    Failed,   // a file could not be read or written: show message as an error
};

struct SettingsOutcome {
    SettingsStatus status = SettingsStatus::Done;
    QString message;
    QStringList lines;  // when reading: exactly eight lines, missing ones empty
};

// The eight settings as the Parameters dialog holds them.
struct SettingsValues {
    QString dataDir;
    int navIndex = -1;
    bool useStartList = false;
    QString startListFile;
    QString gap;
    QString threshold;
    int format = 0;
    bool autoDetect = false;
};

// Reads Connexion.cfg through data_folder.cfg in programDir, without creating anything.
SettingsOutcome readSettingsFiles(const QString& programDir);
// Rewrites Connexion.cfg with the lines of values; never creates a missing file.
SettingsOutcome writeSettingsFiles(const QString& programDir, const SettingsValues& values);
// The eight lines written for values (gap and threshold as given).
QStringList connexionLines(const SettingsValues& values);

// A decimal integer, or nothing when the text is not one.
std::optional<int> parseInteger(const QString& text);
// True when text parses as a signed integer other than 0.
bool isNonZeroInteger(const QString& text);
// The conversion error reported when a text is not an integer.
QString conversionErrorText(const QString& text);
// dir + the platform's separator + name.
QString joinPath(const QString& dir, const QString& name);

}  // namespace kav::app
