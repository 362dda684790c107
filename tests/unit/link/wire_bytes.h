#pragma once
// Byte strings the logger sends, made for the link's tests.

#include <cstdint>

#include <QByteArray>
#include <QtEndian>

#include "link/frame.h"
#include "link/raw_block.h"

namespace kav::link::testing {

inline QByteArray ack(uint8_t id) {
    return buildFrame(0x83, QByteArray(1, char(id)));
}
inline QByteArray nack(uint8_t id) {
    return buildFrame(0x84, QByteArray(1, char(id)));
}

inline QByteArray versionFrame() {
    const char body[13] = {1, 0, 1, 0, 12, 0, 1, 4, 20, 0, 17, 3, 29};
    return buildFrame(0x80, QByteArray(body, 13));
}

struct StatusFields {
    uint16_t left = 250, total = 255;
    uint32_t criteria[6] = {3600, 1, 1000, 0, 200, 0};
    uint8_t logging = 1;
};

inline QByteArray statusBody(const StatusFields& f) {
    QByteArray body(34, '\0');
    auto* p = reinterpret_cast<uchar*>(body.data());
    qToLittleEndian<uint16_t>(f.left, p + 4);
    qToLittleEndian<uint16_t>(f.total, p + 6);
    for (int i = 0; i < 6; ++i) qToLittleEndian<uint32_t>(f.criteria[i], p + 8 + 4 * i);
    body[32] = char(f.logging);
    return body;
}

inline QByteArray statusFrame(const StatusFields& f = {}) {
    return buildFrame(0x94, statusBody(f));
}

// Sector-sized data that holds the pairs 0D 0A and A0 A1 and a whole frame look-alike.
inline QByteArray trickySector(int seed) {
    QByteArray data(int(kSectorSize), '\0');
    for (int i = 0; i < data.size(); ++i) data[i] = char((i * 7 + seed * 13) & 0xFF);
    const QByteArray fake = buildFrame(0x83, QByteArray(1, char(0x1D)));
    data.replace(100, fake.size(), fake);
    data[2000] = '\r';
    data[2001] = '\n';
    return data;
}

// data, "END", 0, "CHECKSUM=", the checksum (or a wrong one), extra bytes, CR LF.
inline QByteArray rawBlock(const QByteArray& data, bool goodChecksum = true,
                           const QByteArray& extra = {}) {
    QByteArray out = data;
    out.append(QByteArray(kRawTrailerMark, int(kRawTrailerMarkSize)));
    const uint8_t sum = rawBlockChecksum(data);
    out.append(char(goodChecksum ? sum : uint8_t(sum ^ 0x5A)));
    out.append(extra);
    out.append("\r\n");
    return out;
}

inline QByteArray userData(const QByteArray& text) {
    QByteArray data(int(kSectorSize), char(0xFF));
    data.replace(0, text.size(), text);
    return data;
}

}  // namespace kav::link::testing
