#include "replies.h"

#include <QString>

namespace kav::sim {
namespace {

void putLe16(QByteArray& out, int offset, uint32_t v) {
    out[offset] = char(v & 0xFF);
    out[offset + 1] = char((v >> 8) & 0xFF);
}

void putLe32(QByteArray& out, int offset, uint32_t v) {
    putLe16(out, offset, v & 0xFFFF);
    putLe16(out, offset + 2, v >> 16);
}

uint32_t be32(QByteArrayView body, int offset) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | uint8_t(body[offset + i]);
    return v;
}

}  // namespace

QByteArray versionBody(const VersionInfo& info) {
    QByteArray body(13, '\0');
    body[0] = char(info.softwareType);
    for (int i = 0; i < 3; ++i) {
        body[2 + i] = char(info.kernel[i]);
        body[6 + i] = char(info.firmware[i]);
    }
    body[10] = char(info.revisionYear - 2000);
    body[11] = char(info.revisionMonth);
    body[12] = char(info.revisionDay);
    return body;
}

QByteArray statusBody(const LoggerMemory& memory) {
    QByteArray body(34, '\0');
    const int used = memory.usedSectors();
    putLe32(body, 0, uint32_t(used) * kSectorBytes);  // address of the sector being written
    putLe16(body, 4, uint32_t(memory.totalSectors() - used));
    putLe16(body, 6, uint32_t(memory.totalSectors()));
    for (int i = 0; i < 6; ++i) putLe32(body, 8 + 4 * i, memory.criteria.values[i]);
    body[32] = memory.criteria.logging ? 1 : 0;
    return body;
}

bool parseCriteria(QByteArrayView body, LogCriteria& out) {
    if (body.size() != 26) return false;
    for (int i = 0; i < 6; ++i) out.values[i] = be32(body, 4 * i);
    out.logging = uint8_t(body[24]) == 1;
    return true;
}

uint8_t xorOf(QByteArrayView data) {
    uint8_t sum = 0;
    for (char c : data) sum ^= uint8_t(c);
    return sum;
}

QByteArray rawBlock(QByteArrayView data, uint8_t checksum, QByteArrayView extra) {
    QByteArray block;
    block.reserve(data.size() + extra.size() + 16);
    block.append(data).append("END").append('\0').append("CHECKSUM=").append(char(checksum));
    block.append(extra).append("\r\n");
    return block;
}

QByteArray userDataArea(const QString& serialNumber) {
    QByteArray area = serialNumber.toLatin1().left(kSectorBytes);
    area.append(kSectorBytes - area.size(), char(0xFF));
    return area;
}

}  // namespace kav::sim
