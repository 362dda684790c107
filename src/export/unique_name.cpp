#include "export/unique_name.h"

#include <QFileInfo>

#include "log/gps_time.h"

namespace kav::exporting {

namespace {

bool taken(const QString& path) {
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

}  // namespace

QString serialNumberForFileName(const QString& serialNumber) {
    QString text = serialNumber.trimmed();
    for (QChar& c : text)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-' && c != u'_') c = u'_';
    return text.isEmpty() ? QStringLiteral("log") : text;
}

QString uniqueFileName(const QString& path) {
    if (!taken(path)) return path;
    const QString suffix = QFileInfo(path).suffix();
    const QString extension = suffix.isEmpty() ? QString() : QStringLiteral(".") + suffix;
    const QString stem = path.chopped(extension.size());
    for (qulonglong i = 1;; ++i) {
        const QString candidate = stem + QStringLiteral("_") + QString::number(i) + extension;
        if (!taken(candidate)) return candidate;
    }
}

QString defaultTrackFileName(const QString& serialNumber, kav::log::DateTime start,
                             TrackFormat format) {
    const QString when = kav::log::toQDateTime(start).toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
    return serialNumberForFileName(serialNumber) + QStringLiteral("_") + when +
           QStringLiteral(".") + extensionOf(format);
}

}  // namespace kav::exporting
