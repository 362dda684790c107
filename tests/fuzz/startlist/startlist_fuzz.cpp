// Fuzzes the start-list reader and the file names made from its entries. Whatever a line holds,
// the name made from it is one file name inside the chosen folder, never a path elsewhere.

#include <cstdint>

#include <QDir>
#include <QFileInfo>

#include "export/export_flow.h"
#include "fuzz_check.h"

using namespace kav::exporting;

namespace {

const QString kFolder = QStringLiteral("/srv/flights/task1");
const QString kFallback = QStringLiteral("091226");

void checkName(const QString& entry) {
    const QString name = safeFileName(entry, kFallback);
    FUZZ_CHECK(!name.isEmpty());
    FUZZ_CHECK(!name.contains(u'/') && !name.contains(u'\\'));
    FUZZ_CHECK(!name.startsWith(u'.'));
    const QString path = QDir::cleanPath(pathInFolder(kFolder, name));
    FUZZ_CHECK(QFileInfo(path).absolutePath() == kFolder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList entries = startListEntries(bytes);
    // Every line end splits: at most one entry per line, none when the list is empty.
    FUZZ_CHECK(entries.size() <= bytes.count('\n') + 1);
    FUZZ_CHECK(!bytes.isEmpty() || entries.isEmpty());
    for (const QString& entry : entries) {
        FUZZ_CHECK(!entry.contains(u'\n'));
        checkName(entry);
    }
    return 0;
}
