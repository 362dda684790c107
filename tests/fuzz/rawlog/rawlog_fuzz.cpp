// Fuzzes the raw log file reader. Input: bytes 0..1 (big-endian) give the length of the side
// file's text that follows; the rest is the memory file. The reader must decode exactly the
// whole sectors, and a save then load must give back the same log.

#include <algorithm>
#include <cstdint>
#include <span>

#include <QFile>

#include "log/datalog_decoder.h"
#include "log/raw_log_file.h"
#include "scratch_dir.h"

using namespace kav::log;

namespace {

QString scratchPath(const char* name) {
    return scratchDir() + QLatin1Char('/') + QLatin1String(name);
}

void removeLog(const QString& path) {
    QFile::remove(path);
    QFile::remove(rawLogIdentityPath(path));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::size_t sideSize = std::min<std::size_t>(size - 2, data[0] << 8 | data[1]);
    const char* side = reinterpret_cast<const char*>(data + 2);
    const QByteArray memory(side + sideSize, qsizetype(size - 2 - sideSize));

    const QString path = scratchPath("memory.bin");
    removeLog(path);
    writeScratchFile(path, memory);
    if (data[0] != 0xFF) writeScratchFile(rawLogIdentityPath(path), QByteArray(side, sideSize));

    LogCollection loaded;
    const RawLogResult result = loadRawLog(path, loaded);
    FUZZ_CHECK(result.ok() == !memory.isEmpty());
    if (!result.ok()) {
        FUZZ_CHECK(loaded.logData().empty());
        return 0;
    }
    FUZZ_CHECK(result.sectors == memory.size() / qsizetype(kSectorSize));
    FUZZ_CHECK(result.tailBytes == memory.size() % qsizetype(kSectorSize));
    LogData expected;
    const auto* bytes = reinterpret_cast<const uint8_t*>(memory.constData());
    for (qint64 s = 0; s < result.sectors; ++s)
        walkSector(std::span(bytes + s * kSectorSize, kSectorSize), expected);
    FUZZ_CHECK(loaded.logData() == expected);

    // What was read, saved again, reads back the same.
    const QString copy = scratchPath("copy.bin");
    removeLog(copy);
    FUZZ_CHECK(saveRawLog(copy, memory, result.identity).ok());
    LogCollection reloaded;
    const RawLogResult again = loadRawLog(copy, reloaded);
    FUZZ_CHECK(again.ok() && reloaded.logData() == expected);
    FUZZ_CHECK(again.identity.serialNumber == result.identity.serialNumber);
    FUZZ_CHECK(again.identity.firmware == result.identity.firmware);
    FUZZ_CHECK(again.identity.hardware == result.identity.hardware);
    return 0;
}
