#include "logbook/logbook_error.h"

#include <QDir>
#include <QSqlError>

namespace kav::logbook {

namespace {

using Kind = LogbookError::Kind;

// SQLite's primary result codes that say what went wrong.
constexpr int kBusy = 5, kLocked = 6, kReadOnly = 8, kCorrupt = 11, kFull = 13, kCantOpen = 14,
              kNotADatabase = 26;

Kind kindOfCode(int code) {
    switch (code & 0xff) {
        case kBusy:
        case kLocked:
            return Kind::Locked;
        case kCorrupt:
        case kNotADatabase:
            return Kind::Damaged;
        case kReadOnly:
        case kFull:
            return Kind::CannotWrite;
        case kCantOpen:
            return Kind::CannotOpen;
        default:
            return Kind::CannotWrite;
    }
}

QString kindText(Kind kind) {
    switch (kind) {
        case Kind::None:
            return {};
        case Kind::Locked:
            return QStringLiteral("is locked by another program");
        case Kind::Damaged:
            return QStringLiteral("is damaged or is not a logbook");
        case Kind::Newer:
            return QStringLiteral("was made by a newer version of this program");
        case Kind::CannotOpen:
            return QStringLiteral("cannot be opened");
        case Kind::CannotWrite:
            return QStringLiteral("cannot be written");
    }
    return {};
}

}  // namespace

LogbookError logbookError(Kind kind, const QString& path, const QString& detail) {
    QString text =
        QStringLiteral("the logbook %1 %2").arg(QDir::toNativeSeparators(path), kindText(kind));
    if (!detail.isEmpty()) text += QStringLiteral(" (%1)").arg(detail);
    return {kind, text};
}

LogbookError sqlFailure(const QString& path, const QSqlError& error) {
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    const Kind kind = numeric ? kindOfCode(code) : Kind::CannotOpen;
    return logbookError(kind, path, error.databaseText());
}

}  // namespace kav::logbook
