#pragma once
// The two settings files: data_folder.cfg names the folder of Connexion.cfg, whose eight lines
// hold the Parameters dialog's settings. data_folder.cfg is looked for beside the executable
// first, then in the user's configuration folder, where the first Save creates both files.

#include <optional>

#include <QString>
#include <QStringList>

namespace kav::app {

inline constexpr int kConnexionLineCount = 8;

// The two folders where data_folder.cfg may be, in the order they are looked at.
struct SettingsPlaces {
    QString programDir;  // beside the executable
    QString userDir;     // the user's configuration folder; created by Save when needed
};

// The user's configuration folder for this program (on Linux ~/.config/kav-skytraq).
QString userSettingsDir();
// The output directory before any is chosen: the user's documents folder when there is one,
// else the home folder.
QString defaultDataDir();

enum class SettingsStatus {
    Done,     // read or written
    None,     // no data_folder.cfg in either place: a first start, nothing to report
    Missing,  // Connexion.cfg is not where data_folder.cfg says: show message as a plain message
    Failed,   // a file could not be read or written: show message as an error
};

struct SettingsOutcome {
    SettingsStatus status = SettingsStatus::Done;
    QString message;
    QStringList lines;  // when reading: exactly eight lines, missing ones empty
    QString path;       // the Connexion.cfg read or written
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

// Reads Connexion.cfg through the first data_folder.cfg found, without creating anything.
SettingsOutcome readSettingsFiles(const SettingsPlaces& places);
// Writes Connexion.cfg with the lines of values where the first data_folder.cfg found says;
// with none found, creates both files in the user's configuration folder.
SettingsOutcome writeSettingsFiles(const SettingsPlaces& places, const SettingsValues& values);
// The eight lines written for values (gap and threshold as given).
QStringList connexionLines(const SettingsValues& values);

// A decimal integer, or nothing when the text is not one.
std::optional<int> parseInteger(const QString& text);
// True when text parses as a signed integer other than 0.
bool isNonZeroInteger(const QString& text);
// The conversion error reported when a text is not an integer.
QString conversionErrorText(const QString& text);
// An error found on a line of a settings file: "<path>, line <n>: <text>".
QString settingsLineError(const QString& path, int line, const QString& text);
// dir + the platform's separator + name.
QString joinPath(const QString& dir, const QString& name);

}  // namespace kav::app
