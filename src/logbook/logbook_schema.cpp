#include "logbook/logbook_schema.h"

#include <iterator>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace kav::logbook {

namespace {

// Version 1: the flights with their statistics, and the files written for each.
constexpr const char* kVersion1[] = {
    "CREATE TABLE flights ("
    " id INTEGER PRIMARY KEY,"
    " fingerprint TEXT NOT NULL,"
    " serial_number TEXT NOT NULL DEFAULT '',"
    " takeoff TEXT NOT NULL,"  // UTC, ISO 8601: sorts as it reads
    " landing TEXT NOT NULL,"
    " duration_s REAL NOT NULL DEFAULT 0,"
    " takeoff_lat REAL NOT NULL DEFAULT 0, takeoff_lon REAL NOT NULL DEFAULT 0,"
    " takeoff_height REAL NOT NULL DEFAULT 0,"
    " landing_lat REAL NOT NULL DEFAULT 0, landing_lon REAL NOT NULL DEFAULT 0,"
    " landing_height REAL NOT NULL DEFAULT 0,"
    " max_height REAL NOT NULL DEFAULT 0, min_height REAL NOT NULL DEFAULT 0,"
    " height_gain REAL NOT NULL DEFAULT 0,"
    " max_climb REAL NOT NULL DEFAULT 0, max_sink REAL NOT NULL DEFAULT 0,"
    " max_climb_5s REAL NOT NULL DEFAULT 0, max_sink_5s REAL NOT NULL DEFAULT 0,"
    " track_km REAL NOT NULL DEFAULT 0, straight_km REAL NOT NULL DEFAULT 0,"
    " average_kmh REAL NOT NULL DEFAULT 0, max_kmh REAL NOT NULL DEFAULT 0,"
    " added TEXT NOT NULL,"
    " UNIQUE(fingerprint, serial_number))",
    "CREATE INDEX flights_by_takeoff ON flights(takeoff)",
    "CREATE TABLE flight_files ("
    " flight_id INTEGER NOT NULL REFERENCES flights(id) ON DELETE CASCADE,"
    " path TEXT NOT NULL,"
    " UNIQUE(flight_id, path))",
};

// Version 2: the cross-country score (a logbook of version 1 gains "none" for each flight,
// scored again when the flight is read again).
constexpr const char* kVersion2[] = {
    "ALTER TABLE flights ADD COLUMN score_rules TEXT NOT NULL DEFAULT ''",
    "ALTER TABLE flights ADD COLUMN score_type TEXT NOT NULL DEFAULT 'none'",
    "ALTER TABLE flights ADD COLUMN score_km REAL NOT NULL DEFAULT 0",
    "ALTER TABLE flights ADD COLUMN score_factor REAL NOT NULL DEFAULT 0",
    "ALTER TABLE flights ADD COLUMN score_points REAL NOT NULL DEFAULT 0",
    "ALTER TABLE flights ADD COLUMN score_route TEXT NOT NULL DEFAULT '{}'",
};

struct Step {
    const char* const* begin;
    const char* const* end;
};

constexpr Step kSteps[kLogbookVersion] = {
    {std::begin(kVersion1), std::end(kVersion1)},
    {std::begin(kVersion2), std::end(kVersion2)},
};

bool failed(const QSqlError& error) {
    return error.type() != QSqlError::NoError;
}

QSqlError run(QSqlDatabase& db, const QString& sql) {
    QSqlQuery query(db);
    return query.exec(sql) ? QSqlError() : query.lastError();
}

}  // namespace

int schemaVersion(QSqlDatabase& db, QSqlError* error) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        if (error) *error = query.lastError();
        return -1;
    }
    return query.value(0).toInt();
}

bool holdsForeignTables(QSqlDatabase& db) {
    QSqlQuery query(db);
    return query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && query.next() &&
           query.value(0).toInt() > 0;
}

QSqlError upgradeSchema(QSqlDatabase& db, int upTo) {
    QSqlError error;
    if (const int seen = schemaVersion(db, &error); seen < 0 || seen >= upTo) return error;
    error = run(db, QStringLiteral("BEGIN IMMEDIATE"));
    if (failed(error)) return error;
    // Read again under the write lock: another connection may have upgraded it meanwhile.
    const int from = schemaVersion(db, &error);
    for (int version = from + 1; version <= upTo && !failed(error); ++version) {
        const Step& step = kSteps[version - 1];
        for (const char* const* sql = step.begin; sql != step.end && !failed(error); ++sql)
            error = run(db, QString::fromLatin1(*sql));
    }
    if (!failed(error) && from < upTo)
        error = run(db, QStringLiteral("PRAGMA user_version = %1").arg(upTo));
    if (!failed(error)) error = run(db, QStringLiteral("COMMIT"));
    if (failed(error)) run(db, QStringLiteral("ROLLBACK"));
    return error;
}

}  // namespace kav::logbook
