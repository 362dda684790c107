// Fuzzes the settings reader. Input: byte 0 chooses how data_folder.cfg names the scratch folder
// (plain, CR LF, LF, extra lines, empty, missing); the rest is Connexion.cfg. Whatever is read
// must be eight lines that survive a write and a second read unchanged.

#include <cstdint>

#include <QDir>

#include "app/settings_files.h"
#include "scratch_dir.h"

using namespace kav::app;

namespace {

// Writes data_folder.cfg in one of its shapes; false when it is left out.
bool writeDataFolder(uint8_t shape) {
    const QString path = joinPath(scratchDir(), QStringLiteral("data_folder.cfg"));
    const QByteArray dir = scratchDir().toLocal8Bit();
    QFile::remove(path);
    switch (shape % 6) {
        case 0:
            writeScratchFile(path, dir);
            return true;
        case 1:
            writeScratchFile(path, dir + "\r\n");
            return true;
        case 2:
            writeScratchFile(path, dir + "\n");
            return true;
        case 3:
            writeScratchFile(path, dir + "\r\nsecond line\r\n");
            return true;
        case 4:
            writeScratchFile(path, QByteArray());
            return true;
        default:
            return false;
    }
}

SettingsValues valuesOf(const QStringList& l) {
    SettingsValues v;
    v.dataDir = l[0];
    v.navIndex = parseInteger(l[1]).value_or(-1);
    v.useStartList = l[2] == QLatin1String("True");
    v.startListFile = l[3];
    v.gap = l[4];
    v.threshold = l[5];
    v.format = parseInteger(l[6]).value_or(0);
    v.autoDetect = l[7] == QLatin1String("True");
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool named = writeDataFolder(data[0]);
    writeScratchFile(joinPath(scratchDir(), QStringLiteral("Connexion.cfg")),
                     QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)));

    const SettingsPlaces places{scratchDir(), {}};
    const SettingsOutcome first = readSettingsFiles(places);
    const bool reachable = named && data[0] % 6 != 4;
    FUZZ_CHECK((first.status == SettingsStatus::Done) == reachable);
    if (first.status != SettingsStatus::Done) {
        FUZZ_CHECK(first.status == SettingsStatus::None || !first.message.isEmpty());
        return 0;
    }
    FUZZ_CHECK(first.lines.size() == kConnexionLineCount);
    for (const QString& line : first.lines) isNonZeroInteger(line);

    const SettingsValues values = valuesOf(first.lines);
    FUZZ_CHECK(writeSettingsFiles(places, values).status == SettingsStatus::Done);
    const SettingsOutcome second = readSettingsFiles(places);
    FUZZ_CHECK(second.status == SettingsStatus::Done);
    FUZZ_CHECK(second.lines == connexionLines(values));
    return 0;
}
