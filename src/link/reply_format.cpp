#include "reply_format.h"

#include "link/frame.h"

namespace kav::link {

namespace {

constexpr qsizetype kVersionBodySize = 13;
constexpr qsizetype kLogStatusBodySize = 33;  // the FIFO flag at offset 33 is not read

uint8_t byteAt(QByteArrayView body, qsizetype i) {
    return static_cast<uint8_t>(body[i]);
}

QString dotted(QByteArrayView body, qsizetype first) {
    return QStringLiteral("%1.%2.%3")
        .arg(byteAt(body, first))
        .arg(byteAt(body, first + 1))
        .arg(byteAt(body, first + 2));
}

uint16_t littleEndian16(QByteArrayView body, qsizetype i) {
    return uint16_t(byteAt(body, i) | (byteAt(body, i + 1) << 8));
}

qint32 littleEndian32(QByteArrayView body, qsizetype i) {
    const uint32_t v = uint32_t(byteAt(body, i)) | (uint32_t(byteAt(body, i + 1)) << 8) |
                       (uint32_t(byteAt(body, i + 2)) << 16) |
                       (uint32_t(byteAt(body, i + 3)) << 24);
    return static_cast<qint32>(v);
}

}  // namespace

// Version body: 0 software type, 1..4 kernel (2,3,4 = X.Y.Z), 5..8 firmware (6,7,8 = X.Y.Z),
// 9..12 revision (10,11,12 = year - 2000, month, day).
std::optional<VersionInfo> parseVersion(QByteArrayView body) {
    if (body.size() < kVersionBodySize) return std::nullopt;
    VersionInfo info;
    info.hardware = dotted(body, 2);
    info.firmware = dotted(body, 6);
    info.label = QStringLiteral("%1_Rev %2/%3/%4")
                     .arg(info.firmware)
                     .arg(2000 + byteAt(body, 10))
                     .arg(byteAt(body, 11))
                     .arg(byteAt(body, 12));
    return info;
}

// Log status body, little-endian: 4 sectors left (u16), 6 total sectors (u16), 8/12/16/20/24/28
// max time, min time, max distance, min distance, max speed, min speed (32-bit), 32 logging flag.
std::optional<LogStatus> parseLogStatus(QByteArrayView body) {
    if (body.size() < kLogStatusBodySize) return std::nullopt;
    LogStatus s;
    s.sectorsLeft = littleEndian16(body, 4);
    s.totalSectors = littleEndian16(body, 6);
    qint32* const criteria[] = {&s.timeMax, &s.timeMin,  &s.distMax,
                                &s.distMin, &s.speedMax, &s.speedMin};
    for (qsizetype i = 0; i < 6; ++i) *criteria[i] = littleEndian32(body, 8 + 4 * i);
    s.logging = byteAt(body, 32) == 1;
    // More free sectors than sectors in all would wrap around to a huge count.
    s.SectorsToDownload = s.totalSectors > s.sectorsLeft ? s.totalSectors - s.sectorsLeft : 0;
    return s;
}

QString nackMessage(uint8_t id) {
    return QStringLiteral("NACK : ") + QString::number(id);
}

QString transmissionFailureMessage(uint8_t id) {
    return QStringLiteral("Transmission failure : ") + IntToHexa(id);
}

QString noStartStopMessage(QByteArrayView frame) {
    QString text = QStringLiteral("No Start/Stop : ");
    for (qsizetype i = 0; i < frame.size(); ++i) {
        if (i > 0 && i % 10 == 0) text += QStringLiteral("\n\r");
        text += QStringLiteral(";[%1]").arg(byteAt(frame, i), 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

QString configurationReport(const QString& flagConfig, const LogStatus& status) {
    const QString interval = status.timeMin == 0
                                 ? QString::number(status.distMin) + QStringLiteral("meter")
                                 : QString::number(status.timeMin) + QStringLiteral(" second");
    return flagConfig + QStringLiteral("log position each ") + interval;
}

}  // namespace kav::link
