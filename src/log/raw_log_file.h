#pragma once
// A logger's memory saved as read: the 4096-byte sectors one after the other, sector 0 first,
// with an optional small text file beside it ("<file>.ini") naming the logger it came from.

#include <cstdint>

#include <QByteArray>
#include <QString>

#include "log/track_list.h"

namespace kav::log {

// Larger files are refused: no logger memory of this kind comes near 64 MiB.
constexpr qint64 kMaxRawLogSectors = 16384;

// Who the memory came from; empty texts when unknown.
struct RawLogIdentity {
    QString serialNumber;
    QString firmware;
    QString hardware;
    // Sectors the logger had to send; more than the file holds when the download was cut.
    // -1 when unknown (files saved before it was recorded).
    int sectorsExpected = -1;
};

struct RawLogResult {
    QString error;            // empty on success
    qint64 sectors = 0;       // whole sectors decoded
    qint64 tailBytes = 0;     // bytes after the last whole sector, not decoded
    RawLogIdentity identity;  // from the side file, when there is one
    bool nameTaken = false;   // saving: the file or its side file existed already
    bool ok() const { return error.isEmpty(); }
};

// The side file's path for a raw log file.
QString rawLogIdentityPath(const QString& path);
// The side file's text for a memory of sectorsRead sectors.
QByteArray rawLogIdentityText(const RawLogIdentity& identity, qint64 sectorsRead);

// Writes memory as a new file at path (never replacing one) and the identity beside it.
// A failure leaves no file behind; nameTaken tells when it was because a name was taken.
RawLogResult saveRawLog(const QString& path, const QByteArray& memory,
                        const RawLogIdentity& identity);

// Reads a raw log file sector by sector into log (emptied first). A file that is empty, too
// large or unreadable is an error; a partial last sector is reported in tailBytes.
RawLogResult loadRawLog(const QString& path, LogCollection& log);

}  // namespace kav::log
