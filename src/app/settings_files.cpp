#include "app/settings_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace kav::app {
namespace {

const QString kDataFolderName = QStringLiteral("data_folder.cfg");
const QString kConnexionName = QStringLiteral("Connexion.cfg");
// Settings files are a few lines; anything past this is not ours to read.
constexpr qint64 kMaxSettingsBytes = 64 * 1024;

SettingsOutcome failed(const QString& text) {
    return {SettingsStatus::Failed, text, {}, {}};
}

// Lines ended by CR LF or LF, in the system's 8-bit encoding; at least count lines. On failure
// the reason is in outcome.
std::optional<QStringList> readLines(const QString& path, int count, SettingsOutcome& outcome) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        outcome = failed(QStringLiteral("Cannot read %1: %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kMaxSettingsBytes);
    QStringList lines;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        lines << QString::fromLocal8Bit(line);
    }
    if (bytes.endsWith('\n')) lines.removeLast();
    while (lines.size() < count) lines << QString();
    return lines.mid(0, count);
}

// Replaces the file at path with lines ended by CR LF, all or nothing.
SettingsOutcome writeLines(const QString& path, const QStringList& lines) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        for (const QString& line : lines) file.write(line.toLocal8Bit() + "\r\n");
        if (file.commit()) return {SettingsStatus::Done, {}, {}, path};
    }
    return failed(QStringLiteral("Cannot write %1: %2")
                      .arg(QDir::toNativeSeparators(path), file.errorString()));
}

QString missingText(const QString& dir) {
    return kConnexionName + QStringLiteral(" file missing in directory ") + dir;
}

// The first data_folder.cfg: beside the executable, then in the user's folder.
std::optional<QString> findDataFolder(const SettingsPlaces& places) {
    for (const QString& dir : {places.programDir, places.userDir}) {
        if (dir.isEmpty()) continue;
        const QString path = joinPath(dir, kDataFolderName);
        if (QFileInfo(path).isFile()) return path;
    }
    return std::nullopt;
}

// The folder data_folder.cfg names; nothing (with outcome filled) when it cannot be read.
std::optional<QString> configDirOf(const QString& dataFolder, SettingsOutcome& outcome) {
    const auto first = readLines(dataFolder, 1, outcome);
    if (!first) return std::nullopt;
    return first->front();
}

// A first Save: Connexion.cfg in the user's folder, then data_folder.cfg pointing there.
SettingsOutcome createInUserDir(const QString& userDir, const QStringList& lines) {
    if (userDir.isEmpty() || !QDir().mkpath(userDir))
        return failed(
            QStringLiteral("Cannot create the folder %1").arg(QDir::toNativeSeparators(userDir)));
    const SettingsOutcome connexion = writeLines(joinPath(userDir, kConnexionName), lines);
    if (connexion.status != SettingsStatus::Done) return connexion;
    const SettingsOutcome folder = writeLines(joinPath(userDir, kDataFolderName), {userDir});
    return folder.status == SettingsStatus::Done ? connexion : folder;
}

}  // namespace

QString userSettingsDir() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

QString defaultDataDir() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir::toNativeSeparators(QFileInfo(documents).isDir() ? documents : QDir::homePath());
}

QString joinPath(const QString& dir, const QString& name) {
    return dir + QDir::separator() + name;
}

std::optional<int> parseInteger(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

bool isNonZeroInteger(const QString& text) {
    const auto value = parseInteger(text);
    return value && *value != 0;
}

QString conversionErrorText(const QString& text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

QString settingsLineError(const QString& path, int line, const QString& text) {
    return QStringLiteral("%1, line %2: %3")
        .arg(QDir::toNativeSeparators(path))
        .arg(line)
        .arg(text);
}

SettingsOutcome readSettingsFiles(const SettingsPlaces& places) {
    const auto dataFolder = findDataFolder(places);
    if (!dataFolder) return {SettingsStatus::None, {}, {}, {}};
    SettingsOutcome outcome;
    const auto configDir = configDirOf(*dataFolder, outcome);
    if (!configDir) return outcome;
    const QString path = joinPath(*configDir, kConnexionName);
    if (!QFileInfo(path).isFile())
        return {SettingsStatus::Missing, missingText(*configDir), {}, {}};
    const auto lines = readLines(path, kConnexionLineCount, outcome);
    if (!lines) return outcome;
    return {SettingsStatus::Done, {}, *lines, path};
}

QStringList connexionLines(const SettingsValues& values) {
    const QString trueText = QStringLiteral("True");
    const QString falseText = QStringLiteral("False");
    return {values.dataDir,
            QString::number(values.navIndex < 0 ? -1 : values.navIndex),
            values.useStartList ? trueText : falseText,
            values.useStartList ? values.startListFile : QStringLiteral("BlankListCompetitor.Text"),
            values.gap,
            values.threshold,
            QString::number(values.format),
            values.autoDetect ? trueText : falseText};
}

SettingsOutcome writeSettingsFiles(const SettingsPlaces& places, const SettingsValues& values) {
    const QStringList lines = connexionLines(values);
    const auto dataFolder = findDataFolder(places);
    if (!dataFolder) return createInUserDir(places.userDir, lines);
    SettingsOutcome outcome;
    const auto configDir = configDirOf(*dataFolder, outcome);
    if (!configDir) return outcome;
    // Only a folder that exists gets a new Connexion.cfg: an empty or stale line names none.
    if (configDir->isEmpty() || !QFileInfo(*configDir).isDir())
        return {SettingsStatus::Missing, missingText(*configDir), {}, {}};
    return writeLines(joinPath(*configDir, kConnexionName), lines);
}

}  // namespace kav::app
