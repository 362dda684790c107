#pragma once
// Why the logbook could not be read or written, in words a pilot can act on.

#include <QString>

class QSqlError;

namespace kav::logbook {

struct LogbookError {
    enum class Kind {
        None,
        Locked,       // another program holds it longer than the busy timeout
        Damaged,      // not an SQLite database, a damaged one, or another program's
        Newer,        // made by a newer version of this program
        CannotOpen,   // missing (when only read), or its folder cannot be made
        CannotWrite,  // read-only, disk full
    };
    Kind kind = Kind::None;
    QString text;  // one line, naming the file

    bool ok() const { return kind == Kind::None; }
};

// The error of a failed SQLite call on the logbook at path.
LogbookError sqlFailure(const QString& path, const QSqlError& error);
LogbookError logbookError(LogbookError::Kind kind, const QString& path, const QString& detail);

}  // namespace kav::logbook
