// Writes the starting corpus of every fuzz target from the emulator's sample day and the frame
// codec: fuzz_make_seeds tests/fuzz/corpus. Files already present are left as they are.

#include <cstdio>

#include <QByteArray>
#include <QDir>
#include <QFile>

#include "link/frame.h"
#include "link/raw_block.h"
#include "sim/emulator.h"

namespace {

using kav::link::buildFrame;
using kav::link::kSectorSize;

QByteArray sectors(const QByteArray& image, int first, int count) {
    return image.mid(qsizetype(first) * qsizetype(kSectorSize),
                     qsizetype(count) * qsizetype(kSectorSize));
}

// A raw block as the logger sends it: data, "END", 0, "CHECKSUM=", XOR, CR LF.
QByteArray rawBlock(const QByteArray& data) {
    return data + QByteArray(kav::link::kRawTrailerMark, kav::link::kRawTrailerMarkSize) +
           char(kav::link::rawBlockChecksum(data)) + "\r\n";
}

QByteArray ack(uint8_t id) {
    return buildFrame(0x83, QByteArray(1, char(id)));
}

void write(const QString& dir, const char* name, const QByteArray& bytes) {
    QDir().mkpath(dir);
    QFile file(dir + QLatin1Char('/') + QLatin1String(name));
    if (file.exists()) return;
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
}

void receiverSeeds(const QString& dir, const QByteArray& image) {
    const QByteArray chunks("\x01\x07\x20\x41", 4);
    const QByteArray version =
        buildFrame(0x80, QByteArray::fromHex("01000100 0c0001 0414 00111d1d"));
    // The handshake stream: frames, the user-data block, the status, one sector.
    QByteArray status(33, 0);
    status[4] = char(250), status[6] = char(255), status[32] = 1;
    write(dir, "handshake",
          char(0x00) + chunks + ack(0x02) + version + ack(0x09) + buildFrame(0x94, status) +
              ack(0x76));
    write(dir, "sector_after_ack",
          char(0x02) + chunks + ack(0x1D) + rawBlock(sectors(image, 0, 1)) + ack(0x1D));
    write(dir, "user_data_block",
          char(0x05) + chunks + rawBlock(QByteArray("GT730-0123456789").leftJustified(64, ' ')));
    // Garbage, a frame with 0D 0A in its body, a broken frame and a block with a long tail.
    write(dir, "noise",
          char(0x0A) + chunks + QByteArray("\xA0\x13\x0D\x0A\xFF junk", 10) +
              buildFrame(0x84, QByteArray("\x0D\x0A", 2)) +
              QByteArray("\xA0\xA1\x00\x03\x83\x1D\x00\x00\x00\x00", 10) + ack(0x1D) +
              rawBlock(QByteArray(16, 'x')).insert(30, "tail"));
}

void sectorSeeds(const QString& dir, const QByteArray& image) {
    write(dir, "first_sectors", char(0x00) + sectors(image, 0, 2));
    write(dir, "small_pieces", char(0x90) + sectors(image, 0, 1).left(1500));
    write(dir, "last_sector", char(0x00) + sectors(image, int(image.size() / kSectorSize) - 1, 1));
}

void rawLogSeeds(const QString& dir, const QByteArray& image) {
    const QByteArray ini("serial=GT730-01234567\nfirmware=1.4.20\nhardware=1.0.12\n");
    const QByteArray length(1, char(ini.size())), memory = sectors(image, 0, 2) + "tail";
    write(dir, "with_identity", char(0x00) + length + ini + memory);
    write(dir, "without_identity", QByteArray("\xFF\x00", 2) + sectors(image, 1, 1));
}

void settingsSeeds(const QString& dir) {
    const QByteArray lines(
        "/home/pilot/Tracks\r\n2\r\nTrue\r\nStartList.txt\r\n300\r\n20\r\n1\r\nFalse\r\n");
    write(dir, "crlf", char(0x01) + lines);
    write(dir, "lf_short", char(0x02) + QByteArray("/tmp\n-1\nFalse\n"));
    write(dir, "missing_folder_file", char(0x05) + lines);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_ROOT\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QByteArray image = kav::sim::sampleImage();
    receiverSeeds(root + QStringLiteral("/receiver"), image);
    sectorSeeds(root + QStringLiteral("/sector"), image);
    rawLogSeeds(root + QStringLiteral("/rawlog"), image);
    settingsSeeds(root + QStringLiteral("/settings"));
    return 0;
}
