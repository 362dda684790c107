#pragma once
// Reading the bodies of the logger's reply frames, and the texts the link reports about them.

#include <cstdint>
#include <optional>

#include <QByteArrayView>
#include <QString>

namespace kav::link {

struct VersionInfo {
    QString firmware;  // e.g. "1.4.20"
    QString hardware;  // the kernel version, e.g. "1.0.12"
    QString label;     // firmware and revision date, e.g. "1.4.20_Rev 2017/3/29"
};

struct LogStatus {
    uint16_t sectorsLeft = 0;
    uint16_t totalSectors = 0;
    qint32 timeMax = 0, timeMin = 0, distMax = 0, distMin = 0, speedMax = 0, speedMin = 0;
    bool logging = false;
    uint16_t SectorsToDownload = 0;  // totalSectors - sectorsLeft, never below 0
};

// Null when the body is too short to hold the fields read.
std::optional<VersionInfo> parseVersion(QByteArrayView body);
std::optional<LogStatus> parseLogStatus(QByteArrayView body);

// "NACK : " + id in decimal.
QString nackMessage(uint8_t id);
// "Transmission failure : " + IntToHexa(id).
QString transmissionFailureMessage(uint8_t id);
// "No Start/Stop : " + each byte as ";[XX]", a line feed and carriage return before the
// 11th, 22nd, ... byte.
QString noStartStopMessage(QByteArrayView frame);
// The answer to the log criteria, reported with the next status: flagConfig + "log position
// each <min time> second", or "... each <min distance>meter" when the minimum time is 0.
QString configurationReport(const QString& flagConfig, const LogStatus& status);

}  // namespace kav::link
