#include "app/settings_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kav::app {
namespace {

const QString kDataFolderName = QStringLiteral("data_folder.cfg");
const QString kConnexionName = QStringLiteral("Connexion.cfg");
// Settings files are a few lines; anything past this is not ours to read.
constexpr qint64 kMaxSettingsBytes = 64 * 1024;

// Lines ended by CR LF or LF, in the system's 8-bit encoding; at least count lines.
std::optional<QStringList> readLines(const QString& path, int count) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
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

QString missingText(const QString& fileName, const QString& dir) {
    return fileName + QStringLiteral(" file missing in directory ") + dir;
}

QString unreadableText(const QString& path) {
    return QStringLiteral("Cannot read ") + path;
}

// Finds Connexion.cfg through data_folder.cfg; fills outcome on failure.
std::optional<QString> connexionPath(const QString& programDir, const QString& connexionShownName,
                                     SettingsOutcome& outcome) {
    const QString dataFolder = joinPath(programDir, kDataFolderName);
    if (!QFileInfo(dataFolder).isFile()) {
        outcome = {SettingsStatus::Missing, missingText(kDataFolderName, programDir), {}};
        return std::nullopt;
    }
    const auto first = readLines(dataFolder, 1);
    if (!first) {
        outcome = {SettingsStatus::Failed, unreadableText(dataFolder), {}};
        return std::nullopt;
    }
    const QString configDir = first->front();
    const QString path = joinPath(configDir, kConnexionName);
    if (!QFileInfo(path).isFile()) {
        outcome = {SettingsStatus::Missing, missingText(connexionShownName, configDir), {}};
        return std::nullopt;
    }
    return path;
}

}  // namespace

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

SettingsOutcome readSettingsFiles(const QString& programDir) {
    SettingsOutcome outcome;
    const auto path = connexionPath(programDir, kConnexionName, outcome);
    if (!path) return outcome;
    const auto lines = readLines(*path, kConnexionLineCount);
    if (!lines) return {SettingsStatus::Failed, unreadableText(*path), {}};
    return {SettingsStatus::Done, {}, *lines};
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

SettingsOutcome writeSettingsFiles(const QString& programDir, const SettingsValues& values) {
    SettingsOutcome outcome;
    const auto path = connexionPath(programDir, QStringLiteral("connexion.cfg"), outcome);
    if (!path) return outcome;
    // Written whole to a temporary and renamed, so a failed write never leaves half a file.
    QSaveFile file(*path);
    if (file.open(QIODevice::WriteOnly)) {
        for (const QString& line : connexionLines(values)) file.write(line.toLocal8Bit() + "\r\n");
        if (file.commit()) return outcome;
    }
    return {SettingsStatus::Failed, QStringLiteral("Cannot write ") + *path, {}};
}

}  // namespace kav::app
