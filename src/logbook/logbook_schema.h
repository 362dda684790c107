#pragma once
// The logbook's tables, versioned by SQLite's user_version: each step upgrades one version.

#include <QSqlError>

class QSqlDatabase;

namespace kav::logbook {

// The version this program writes.
inline constexpr int kLogbookVersion = 2;

// The schema version of db (its user_version), or -1 when it cannot be read.
int schemaVersion(QSqlDatabase& db, QSqlError* error);

// True when db holds tables although it has no version: another program's database.
bool holdsForeignTables(QSqlDatabase& db);

// Upgrades db from its version to upTo (at most kLogbookVersion) in one transaction: a
// failure leaves it as it was. Returns the error (of type NoError on success).
QSqlError upgradeSchema(QSqlDatabase& db, int upTo = kLogbookVersion);

}  // namespace kav::logbook
