#include "raw_block.h"

namespace kav::link {

namespace {
constexpr qsizetype kSerialNumberLength = 14;

bool isSerialNumberChar(uint8_t c) {
    return c == ' ' || c == '-' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}
}  // namespace

uint8_t rawBlockChecksum(QByteArrayView data) {
    uint8_t sum = 0;
    for (char c : data) sum ^= static_cast<uint8_t>(c);
    return sum;
}

bool RawBlock::checksumOk() const {
    return rawBlockChecksum(data) == checksum;
}

QString serialNumberFromUserData(QByteArrayView data) {
    QString serial;
    // The area's last byte is not part of the text.
    for (char c : data.first(qMax<qsizetype>(data.size() - 1, 0))) {
        if (serial.size() == kSerialNumberLength) break;
        if (isSerialNumberChar(static_cast<uint8_t>(c))) serial.append(QLatin1Char(c));
    }
    return serial;
}

}  // namespace kav::link
