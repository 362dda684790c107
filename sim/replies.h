#pragma once
// Bodies and blocks the logger sends back, built without any I/O.

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

#include "logger_memory.h"

namespace kav::sim {

constexpr uint8_t kIdAck = 0x83;
constexpr uint8_t kIdRefusal = 0x84;
constexpr uint8_t kIdVersion = 0x80;
constexpr uint8_t kIdStatus = 0x94;

struct VersionInfo {
    uint8_t softwareType = 1;
    uint8_t kernel[3] = {1, 0, 12};
    uint8_t firmware[3] = {1, 4, 20};
    int revisionYear = 2017, revisionMonth = 3, revisionDay = 29;
};

// 13 bytes: type, kernel at 2..4, firmware at 6..8, revision (year - 2000, month, day) at 10..12.
QByteArray versionBody(const VersionInfo& info = {});

// 34 bytes little-endian: 4 sectors left, 6 total, 8..31 criteria, 32 logging, 33 FIFO mode.
QByteArray statusBody(const LoggerMemory& memory);

// Criteria from the 26-byte body of the log criteria command (big-endian u32 values).
bool parseCriteria(QByteArrayView body, LogCriteria& out);

// XOR of every byte.
uint8_t xorOf(QByteArrayView data);

// data, "END", 0x00, "CHECKSUM=", checksum, extra bytes, CR LF.
QByteArray rawBlock(QByteArrayView data, uint8_t checksum, QByteArrayView extra = {});

// The user-data area: serial-number text padded with 0xFF to 4096 bytes.
QByteArray userDataArea(const QString& serialNumber);

}  // namespace kav::sim
