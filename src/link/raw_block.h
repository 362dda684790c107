#pragma once
// Raw blocks: the bulk data (a log sector or the user-data area) that follows the
// acknowledgement of 0x1D or 0x76 outside any frame.

#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kav::link {

constexpr std::size_t kSectorSize = 4096;
// "END", one zero byte, "CHECKSUM=": the fixed start of every raw block's trailer.
inline constexpr char kRawTrailerMark[] = "END\0CHECKSUM=";
constexpr std::size_t kRawTrailerMarkSize = sizeof(kRawTrailerMark) - 1;  // 13

struct RawBlock {
    QByteArray data;       // the data bytes, trailer excluded
    uint8_t checksum = 0;  // the byte after "CHECKSUM="
    bool checksumOk() const;
};

// XOR of every byte of data.
uint8_t rawBlockChecksum(QByteArrayView data);

// The check of a gathered raw block (data, then "END", 0, "CHECKSUM=", checksum byte): the XOR
// of the whole 4096-byte blocks at its start compared with the byte after each "CHECKSUM=" that
// follows an "END"; the last comparison decides, and a block without one fails.
bool Checksum(QByteArrayView SetOfData);

// The serial number held in a user-data area: the bytes kept when they are a space, '-', '_',
// a digit or an ASCII letter, cut to its first 14 characters.
QString serialNumberFromUserData(QByteArrayView data);

}  // namespace kav::link
