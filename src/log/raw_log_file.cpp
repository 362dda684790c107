#include "log/raw_log_file.h"

#include <span>

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include "log/datalog_decoder.h"
#include "log/whole_write.h"

namespace kav::log {

namespace {

RawLogResult failure(const QString& text) {
    RawLogResult result;
    result.error = text;
    return result;
}

// Creates path (never replacing a file) with bytes; on failure says why, and whether the name
// was taken.
bool writeNew(const QString& path, const QByteArray& bytes, RawLogResult& result) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        result.nameTaken = QFileInfo(path).exists() || QFileInfo(path).isSymLink();
        result.error = QStringLiteral("cannot create %1: %2").arg(path, file.errorString());
        return false;
    }
    QString reason;
    if (!writeWhole(file, bytes) || !syncToDisk(file, &reason)) {
        if (reason.isEmpty()) reason = file.errorString();
        result.error = QStringLiteral("cannot write %1: %2").arg(path, reason);
        file.close();
        file.remove();
        return false;
    }
    return true;
}

}  // namespace

QByteArray rawLogIdentityText(const RawLogIdentity& identity, qint64 sectorsRead) {
    QString text = QStringLiteral("serial=%1\nfirmware=%2\nhardware=%3\n")
                       .arg(identity.serialNumber, identity.firmware, identity.hardware);
    if (identity.sectorsExpected >= 0)
        text += QStringLiteral("sectors_expected=%1\nsectors_read=%2\n")
                    .arg(identity.sectorsExpected)
                    .arg(sectorsRead);
    return text.toUtf8();
}

namespace {

// A sector count from the side file, -1 when it is not a sane one.
int sectorCount(const QString& text) {
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n >= 0 && n <= kMaxRawLogSectors ? n : -1;
}

// The side file is small; anything odd in it is ignored rather than trusted.
RawLogIdentity readIdentity(const QString& path) {
    RawLogIdentity identity;
    QFile file(rawLogIdentityPath(path));
    if (file.size() > 4096 || !file.open(QIODevice::ReadOnly | QIODevice::Text)) return identity;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine(256);
        const QString value = line.section(u'=', 1).trimmed();
        if (line.startsWith(QStringLiteral("serial=")))
            identity.serialNumber = value;
        else if (line.startsWith(QStringLiteral("firmware=")))
            identity.firmware = value;
        else if (line.startsWith(QStringLiteral("hardware=")))
            identity.hardware = value;
        else if (line.startsWith(QStringLiteral("sectors_expected=")))
            identity.sectorsExpected = sectorCount(value);
    }
    return identity;
}

}  // namespace

QString rawLogIdentityPath(const QString& path) {
    return path + QStringLiteral(".ini");
}

RawLogResult saveRawLog(const QString& path, const QByteArray& memory,
                        const RawLogIdentity& identity) {
    RawLogResult result;
    if (!writeNew(path, memory, result)) return result;
    const qint64 sectors = memory.size() / qsizetype(kSectorSize);
    QString reason;
    if (!writeNew(rawLogIdentityPath(path), rawLogIdentityText(identity, sectors), result)) {
        QFile::remove(path);
        return result;
    }
    if (!syncFolderOf(path, &reason)) {
        result.error = QStringLiteral("cannot write %1: %2").arg(path, reason);
        return result;
    }
    result.sectors = memory.size() / qsizetype(kSectorSize);
    result.tailBytes = memory.size() % qsizetype(kSectorSize);
    result.identity = identity;
    return result;
}

RawLogResult loadRawLog(const QString& path, LogCollection& log) {
    log.clear();
    const QFileInfo info(path);
    if (!info.exists()) return failure(QStringLiteral("%1: no such file").arg(path));
    if (!info.isFile()) return failure(QStringLiteral("%1: not a regular file").arg(path));
    const qint64 size = info.size();
    if (size == 0) return failure(QStringLiteral("%1: the file is empty").arg(path));
    if (size > kMaxRawLogSectors * qint64(kSectorSize))
        return failure(QStringLiteral("%1: %2 bytes is more than a logger memory holds "
                                      "(at most %3 sectors of 4096 bytes)")
                           .arg(path)
                           .arg(size)
                           .arg(kMaxRawLogSectors));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
    RawLogResult result;
    QByteArray sector(qsizetype(kSectorSize), Qt::Uninitialized);
    // Never more sectors than the bound, even if the file grows while it is read.
    while (result.sectors < kMaxRawLogSectors) {
        const qint64 got = file.read(sector.data(), sector.size());
        if (got < 0) return failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
        if (got < sector.size()) {
            result.tailBytes = got;
            break;
        }
        const auto* bytes = reinterpret_cast<const uint8_t*>(sector.constData());
        log.SavePacket(std::span<const uint8_t>(bytes, kSectorSize));
        ++result.sectors;
    }
    result.identity = readIdentity(path);
    return result;
}

}  // namespace kav::log
