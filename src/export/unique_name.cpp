#include "export/unique_name.h"

#include <algorithm>

#include <QFileInfo>

#include "export/file_batch.h"
#include "export/igc_writer.h"
#include "log/datalog_decoder.h"
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
    return uniqueFileName(path, companions, taken);
}

QString uniqueFileName(const QString& path, const QStringList& companions,
                       const NameTakenTest& isTaken) {
    const auto free = [&companions, &isTaken](const QString& name) {
        return !isTaken(name) &&
               std::none_of(companions.begin(), companions.end(),
                            [&name, &isTaken](const QString& c) { return isTaken(name + c); });
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

std::size_t addRawLog(FileBatch& batch, const QString& wanted, const QByteArray& memory,
                      const kav::log::RawLogIdentity& identity) {
    // What the side file's name adds to the raw file's (".ini").
    const QString sideFile = kav::log::rawLogIdentityPath(QString());
    const qint64 sectors = memory.size() / qsizetype(kav::log::kSectorSize);
    return batch.addUnderFreeName(wanted, [&memory](const QString&) { return memory; },
                                  {{sideFile, kav::log::rawLogIdentityText(identity, sectors)}});
}

SavedRawLog savedRawLog(const FileBatch& batch, std::size_t n, const QByteArray& memory,
                        const kav::log::RawLogIdentity& identity) {
    SavedRawLog saved{batch.path(n), {}};
    saved.result.error = batch.result(n).error;
    saved.result.nameTaken = batch.result(n).nameTaken;
    if (!saved.result.ok()) return saved;
    saved.result.sectors = memory.size() / qsizetype(kav::log::kSectorSize);
    saved.result.tailBytes = memory.size() % qsizetype(kav::log::kSectorSize);
    saved.result.identity = identity;
    return saved;
}

SavedRawLog saveRawLogUnique(const QString& wanted, const QByteArray& memory,
                             const kav::log::RawLogIdentity& identity) {
    FileBatch batch;
    const std::size_t n = addRawLog(batch, wanted, memory, identity);
    batch.commit();
    return savedRawLog(batch, n, memory, identity);
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
