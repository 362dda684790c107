#include "export/unique_name.h"

#include <algorithm>

#include <QFileInfo>

#include "export/igc_writer.h"
#include "log/gps_time.h"

namespace kav::exporting {

namespace {

// Another program taking each free name in turn as this one writes is not a race to run forever.
constexpr int kMaxNameRaces = 1000;

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

QString uniqueFileName(const QString& path, const QStringList& companions) {
    const auto free = [&companions](const QString& name) {
        return !taken(name) && std::none_of(companions.begin(), companions.end(),
                                            [&name](const QString& c) { return taken(name + c); });
    };
    if (free(path)) return path;
    const QString suffix = QFileInfo(path).suffix();
    const QString extension = suffix.isEmpty() ? QString() : QStringLiteral(".") + suffix;
    const QString stem = path.chopped(extension.size());
    for (qulonglong i = 1;; ++i) {
        const QString candidate = stem + QStringLiteral("_") + QString::number(i) + extension;
        if (free(candidate)) return candidate;
    }
}

QString writeUnderUniqueName(const QString& path, const QStringList& companions,
                             const NameWrite& write) {
    QString name = uniqueFileName(path, companions);
    for (int attempt = 1; write(name) && attempt < kMaxNameRaces; ++attempt)
        name = uniqueFileName(path, companions);
    return name;
}

SavedRawLog saveRawLogUnique(const QString& wanted, const QByteArray& memory,
                             const kav::log::RawLogIdentity& identity) {
    SavedRawLog saved;
    // What the side file's name adds to the raw file's (".ini").
    const QStringList sideFile{kav::log::rawLogIdentityPath(QString())};
    saved.path = writeUnderUniqueName(wanted, sideFile, [&](const QString& name) {
        saved.result = kav::log::saveRawLog(name, memory, identity);
        return saved.result.nameTaken;
    });
    return saved;
}

QString defaultTrackFileName(const QString& serialNumber, kav::log::DateTime start,
                             TrackFormat format, int flightOfDay) {
    if (format == TrackFormat::Igc)
        return igcFileName(kav::log::toQDateTime(start).date(), serialNumber, flightOfDay);
    const QString when = kav::log::toQDateTime(start).toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
    return serialNumberForFileName(serialNumber) + QStringLiteral("_") + when +
           QStringLiteral(".") + extensionOf(format);
}

}  // namespace kav::exporting
