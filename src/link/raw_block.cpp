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

bool Checksum(QByteArrayView SetOfData) {
    static constexpr QByteArrayView kEnd("END");
    static constexpr QByteArrayView kCheck("CHECKSUM=");
    const qsizetype summed = SetOfData.size() / qsizetype(kSectorSize) * qsizetype(kSectorSize);
    const uint8_t sum = rawBlockChecksum(SetOfData.first(summed));
    const qsizetype end = SetOfData.indexOf(kEnd);
    if (end < 0) return false;
    // The "CHECKSUM=" window starts with the byte after "END".
    bool result = false;
    for (qsizetype at = SetOfData.indexOf(kCheck, end + kEnd.size()); at >= 0;
         at = SetOfData.indexOf(kCheck, at + 1)) {
        const qsizetype next = at + kCheck.size();
        result = next < SetOfData.size() && uint8_t(SetOfData[next]) == sum;
    }
    return result;
}

bool RawBlock::checksumOk() const {
    QByteArray gathered = data;
    gathered.append(kRawTrailerMark, qsizetype(kRawTrailerMarkSize)).append(char(checksum));
    return Checksum(gathered);
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
