#include "export/export_flow.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace kav::exporting {

namespace {

bool isUnsafeInName(QChar c) {
    static const QString kForbidden = QStringLiteral("/\\:*?\"<>|");
    return c.unicode() < 0x20 || c.unicode() == 0x7f || kForbidden.contains(c);
}

bool digitsOnly(const QString& text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString readError(const QString& path, const QFile& file) {
    return QStringLiteral("Cannot read the start list %1: %2").arg(path, file.errorString());
}

}  // namespace

QString DateToday(const QDate& date, const QString& shortDateFormat) {
    QString text = date.toString(shortDateFormat);
    text.remove(u'/');
    return text.left(4) + text.mid(6, 2);
}

QString fileDateName(const QDate& date, const QString& shortDateFormat) {
    const QString today = DateToday(date, shortDateFormat);
    return digitsOnly(today) ? today : date.toString(QStringLiteral("ddMMyy"));
}

QString outputDirectory(const QString& dataDir, const QString& programDir) {
    if (!dataDir.isEmpty() && QFileInfo(dataDir).isDir()) return dataDir;
    return programDir;
}

QString pathInFolder(const QString& folder, const QString& name) {
    if (folder.endsWith(u'/')) return folder + name;
    return folder + u'/' + name;
}

QString missingListProposal(const QString& folder, const QDate& date,
                            const QString& shortDateFormat) {
    const QString shortDate = date.toString(shortDateFormat);
    return pathInFolder(folder, safeFileName(shortDate, QString()) + QStringLiteral("FR"));
}

QString safeFileName(const QString& name, const QString& fallback) {
    QString safe = name;
    for (QChar& c : safe)
        if (isUnsafeInName(c)) c = u'_';
    qsizetype dots = 0;
    while (dots < safe.size() && safe.at(dots) == u'.') ++dots;
    safe.remove(0, dots);
    return safe.trimmed().isEmpty() ? fallback : safe;
}

QString nameExtension(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

QString incompleteName(const QString& path) {
    const QString extension = nameExtension(path);
    return path.chopped(extension.size()) + QStringLiteral("_incomplete") + extension;
}

QString extensionForFilterIndex(int filterIndex) {
    switch (filterIndex) {
        case 1:
            return QStringLiteral(".gac");
        case 2:
            return QStringLiteral(".kml");
        case 3:
            return QStringLiteral(".gpx");
        case 4:
            return QStringLiteral(".igc");
        default:
            return {};
    }
}

QString completeExtension(const QString& path, int filterIndex) {
    if (!nameExtension(path).isEmpty()) return path;
    return path + extensionForFilterIndex(filterIndex);
}

QString proposalWithExtension(const QString& path, int filterIndex) {
    return writerFor(path) ? path : path + extensionForFilterIndex(filterIndex);
}

std::optional<TrackFormat> writerFor(const QString& path) {
    const QString extension = nameExtension(path);
    if (extension.isEmpty()) return std::nullopt;
    return formatFromExtension(extension);
}

QString unknownExtensionMessage(const QString& extension) {
    return QStringLiteral("Extension ") + extension + QStringLiteral(" unknown ");
}

QString missingStartListMessage(const QString& path) {
    return QStringLiteral("File ") + path + QStringLiteral(" not find");
}

QStringList startListEntries(const QByteArray& bytes) {
    QStringDecoder decode(QStringDecoder::System);
    QString text = decode(bytes);
    if (text.isEmpty()) return {};
    if (text.endsWith(u'\n')) text.chop(1);
    QStringList lines = text.split(u'\n');
    for (QString& line : lines)
        if (line.endsWith(u'\r')) line.chop(1);
    return lines;
}

StartList readStartList(const QString& path) {
    StartList list;
    QFile file(path);
    if (file.size() > kMaxStartListBytes) {
        list.error = QStringLiteral("The start list %1 is too large").arg(path);
        return list;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        list.error = readError(path, file);
        return list;
    }
    const QByteArray bytes = file.read(kMaxStartListBytes);
    if (file.error() != QFileDevice::NoError) {
        list.error = readError(path, file);
        return list;
    }
    list.entries = startListEntries(bytes);
    return list;
}

}  // namespace kav::exporting
