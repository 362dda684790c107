// Windows side: FlushFileBuffers on each file, MoveFileExW without MOVEFILE_REPLACE_EXISTING
// (it fails on an existing name) and written through to the disk.

#include <windows.h>

#include <io.h>

#include <QDir>
#include <QFile>

#include "export/durable_files.h"

namespace kav::exporting::platform {

namespace {

QString systemReason(DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const QString reason = text ? QString::fromWCharArray(text).trimmed() : QString::number(error);
    LocalFree(text);
    return reason;
}

}  // namespace

void startWriteback(int handle) {
    (void)handle;  // Windows writes back on its own; the flush at the end waits for it
}

bool flushData(const QStringList& paths, QString* reason) {
    for (const QString& path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite)) {
            *reason = file.errorString();
            return false;
        }
        const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
        if (!FlushFileBuffers(handle)) {
            *reason = systemReason(GetLastError());
            return false;
        }
    }
    return true;
}

RenameOutcome renameNoReplace(const QString& from, const QString& to, QString* reason) {
    const QString source = QDir::toNativeSeparators(from), target = QDir::toNativeSeparators(to);
    if (MoveFileExW(reinterpret_cast<const wchar_t*>(source.utf16()),
                    reinterpret_cast<const wchar_t*>(target.utf16()), MOVEFILE_WRITE_THROUGH))
        return RenameOutcome::Done;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
        return RenameOutcome::NameTaken;
    *reason = systemReason(error);
    return RenameOutcome::Failed;
}

}  // namespace kav::exporting::platform
