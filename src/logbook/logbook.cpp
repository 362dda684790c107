#include "logbook/logbook.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>

#include "logbook/logbook_columns.h"
#include "logbook/logbook_schema.h"
#include "logbook/score_route.h"

namespace kav::logbook {

namespace {

using Kind = LogbookError::Kind;

QString isoText(const QDateTime& t) {
    return t.toUTC().toString(Qt::ISODate);
}

void bindFigures(QSqlQuery& query, const LoggedFlight& flight) {
    for (const StatColumn& c : kStatColumns)
        query.bindValue(u':' + QLatin1String(c.name), flight.stats.*c.value);
    for (const PlaceColumn& c : kPlaceColumns)
        query.bindValue(u':' + QLatin1String(c.name), flight.stats.*c.place.*c.value);
    for (const ScoreColumn& c : kScoreColumns)
        query.bindValue(u':' + QLatin1String(c.name), flight.score.*c.value);
    query.bindValue(QStringLiteral(":score_rules"),
                    kav::flight::scoreRulesName(flight.score.rules));
    query.bindValue(QStringLiteral(":score_type"), kav::flight::scoreTypeName(flight.score.type));
    query.bindValue(QStringLiteral(":score_route"), routeJson(flight.score));
}

// The columns every write sets: the statistics and the score.
QStringList figureNames() {
    QStringList names{QStringLiteral("score_rules"), QStringLiteral("score_type"),
                      QStringLiteral("score_route")};
    for (const StatColumn& c : kStatColumns) names << QLatin1String(c.name);
    for (const PlaceColumn& c : kPlaceColumns) names << QLatin1String(c.name);
    for (const ScoreColumn& c : kScoreColumns) names << QLatin1String(c.name);
    return names;
}

QString insertSql() {
    QStringList names = figureNames();
    names << QStringLiteral("fingerprint") << QStringLiteral("serial_number")
          << QStringLiteral("takeoff") << QStringLiteral("landing") << QStringLiteral("added");
    return QStringLiteral("INSERT INTO flights (%1) VALUES (:%2)")
        .arg(names.join(QStringLiteral(", ")), names.join(QStringLiteral(", :")));
}

// A flight read again: its figures as this version computes them, a serial number it lacked.
QString updateSql() {
    QStringList sets;
    for (const QString& name : figureNames()) sets << name + QStringLiteral(" = :") + name;
    return QStringLiteral(
               "UPDATE flights SET %1, serial_number = CASE serial_number WHEN '' THEN "
               ":serial_number ELSE serial_number END WHERE id = :id")
        .arg(sets.join(QStringLiteral(", ")));
}

// An unknown serial number is kept as empty text, never as NULL.
QString storedSerial(const LoggedFlight& flight) {
    return flight.serialNumber.isNull() ? QStringLiteral("") : flight.serialNumber;
}

// The id of the flight kept as flight, 0 when none; -1 on failure. A flight is the same when
// its fixes are and the logger is, or one of the two is not known (a raw copy without its
// side file); loggers that hold the same fixes (emulated ones) keep a row each.
qint64 flightId(QSqlDatabase& db, const LoggedFlight& flight) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "SELECT id FROM flights WHERE fingerprint = ? AND (? = '' OR serial_number IN (?, '')) "
        "ORDER BY serial_number = ? DESC, id LIMIT 1"));
    query.addBindValue(flight.fingerprint);
    for (int n = 0; n < 3; ++n) query.addBindValue(storedSerial(flight));
    if (!query.exec()) return -1;
    return query.next() ? query.value(0).toLongLong() : 0;
}

// Adds flight's files to the row id (counted as a flight already held unless counted).
bool addFiles(QSqlDatabase& db, qint64 id, const LoggedFlight& flight, Recorded& done,
              QSqlError& error, bool countKnown = true) {
    if (countKnown) ++done.known;
    QSqlQuery files(db);
    files.prepare(
        QStringLiteral("INSERT OR IGNORE INTO flight_files (flight_id, path) VALUES (?, ?)"));
    for (const QString& path : flight.files) {
        files.addBindValue(id);
        files.addBindValue(QDir::cleanPath(path));
        if (!files.exec()) {
            error = files.lastError();
            return false;
        }
    }
    return true;
}

// Gives the row id the flight's serial number when it had none.
bool fillSerial(QSqlDatabase& db, qint64 id, const LoggedFlight& flight, QSqlError& error) {
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("UPDATE flights SET serial_number = ? WHERE id = ? AND serial_number = ''"));
    query.addBindValue(storedSerial(flight));
    query.addBindValue(id);
    if (query.exec()) return true;
    error = query.lastError();
    return false;
}

// Inserts or updates one flight and adds its files; false with the query's error. A flight
// whose figures were not computed (the logbook held it) only gets its new files; gone meanwhile,
// it is left for the next read.
bool store(QSqlDatabase& db, const LoggedFlight& flight, Recorded& done, QSqlError& error) {
    const qint64 known = flightId(db, flight);
    if (known == 0 && !flight.measured) return true;
    if (known > 0 && !flight.measured)
        return fillSerial(db, known, flight, error) && addFiles(db, known, flight, done, error);
    QSqlQuery query(db);
    query.prepare(known > 0 ? updateSql() : insertSql());
    bindFigures(query, flight);
    query.bindValue(QStringLiteral(":serial_number"), storedSerial(flight));
    if (known > 0) {
        query.bindValue(QStringLiteral(":id"), known);
    } else {
        query.bindValue(QStringLiteral(":fingerprint"), flight.fingerprint);
        query.bindValue(QStringLiteral(":takeoff"), isoText(flight.takeoff));
        query.bindValue(QStringLiteral(":landing"), isoText(flight.landing));
        query.bindValue(QStringLiteral(":added"), isoText(QDateTime::currentDateTimeUtc()));
    }
    if (known < 0 || !query.exec()) {
        error = query.lastError();
        return false;
    }
    if (known > 0) return addFiles(db, known, flight, done, error);
    ++done.added;
    return addFiles(db, query.lastInsertId().toLongLong(), flight, done, error, false);
}

}  // namespace

Logbook::Logbook(QString path, QString connection)
    : path_(std::move(path)), connection_(std::move(connection)) {}

Logbook::~Logbook() {
    {
        QSqlDatabase db = database();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

QSqlDatabase Logbook::database() const {
    return QSqlDatabase::database(connection_, false);
}

std::unique_ptr<Logbook> Logbook::open(const QString& path, LogbookError* error, Options options) {
    const QString name = QStringLiteral("kav-logbook-") + QUuid::createUuid().toString();
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    std::unique_ptr<Logbook> logbook(new Logbook(path, name));
    LogbookError failure;
    if (!logbook->prepare(options, &failure)) {
        if (error) *error = failure;
        return nullptr;
    }
    if (error) *error = {};
    return logbook;
}

bool Logbook::prepare(const Options& options, LogbookError* error) {
    QSqlDatabase db = database();
    if (!db.isValid()) {
        *error = logbookError(Kind::CannotOpen, path_,
                              QStringLiteral("the Qt SQLite driver is not installed"));
        return false;
    }
    const QFileInfo file(path_);
    if (!options.create && !file.exists()) {
        *error = logbookError(Kind::CannotOpen, path_, QStringLiteral("there is no such file"));
        return false;
    }
    if (options.create && !QDir().mkpath(file.absolutePath())) {
        *error = logbookError(Kind::CannotOpen, path_, QStringLiteral("its folder cannot be made"));
        return false;
    }
    db.setDatabaseName(path_);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(options.busyTimeoutMs));
    if (!db.open()) {
        *error = sqlFailure(path_, db.lastError());
        return false;
    }
    QSqlError sqlError;
    const int version = schemaVersion(db, &sqlError);
    if (version < 0) {
        *error = sqlFailure(path_, sqlError);
        return false;
    }
    if (version > kLogbookVersion) {
        *error = logbookError(Kind::Newer, path_,
                              QStringLiteral("version %1; this one knows up to %2")
                                  .arg(version)
                                  .arg(kLogbookVersion));
        return false;
    }
    // Tables with no version are another program's, unless another connection made them and
    // their version together since the version was read (both come in one transaction).
    if (version == 0 && holdsForeignTables(db) && schemaVersion(db, &sqlError) == 0) {
        *error = logbookError(Kind::Damaged, path_, QStringLiteral("it holds other tables"));
        return false;
    }
    QSqlQuery(db).exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    sqlError = upgradeSchema(db);
    if (sqlError.type() != QSqlError::NoError) {
        *error = sqlFailure(path_, sqlError);
        return false;
    }
    return true;
}

std::optional<QSet<QString>> Logbook::held(std::span<const LoggedFlight> flights,
                                           LogbookError& error) const {
    QSqlDatabase db = database();
    QSet<QString> held;
    for (const LoggedFlight& flight : flights) {
        const qint64 id = flightId(db, flight);
        if (id < 0) {
            error = sqlFailure(path_, db.lastError());
            return std::nullopt;
        }
        if (id > 0) held.insert(flight.fingerprint);
    }
    return held;
}

QString recordedText(const Recorded& recorded) {
    return QStringLiteral("%1 new flight%2, %3 already in it")
        .arg(recorded.added)
        .arg(recorded.added == 1 ? QString() : QStringLiteral("s"))
        .arg(recorded.known);
}

std::optional<Recorded> Logbook::record(std::span<const LoggedFlight> flights,
                                        LogbookError& error) {
    QSqlDatabase db = database();
    QSqlQuery begin(db);
    if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        error = sqlFailure(path_, begin.lastError());
        return std::nullopt;
    }
    Recorded done;
    QSqlError failure;
    bool stored = true;
    for (const LoggedFlight& flight : flights)
        if (!(stored = store(db, flight, done, failure))) break;
    QSqlQuery end(db);
    if (stored && !end.exec(QStringLiteral("COMMIT"))) {
        failure = end.lastError();
        stored = false;
    }
    if (!stored) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        error = sqlFailure(path_, failure);
        return std::nullopt;
    }
    error = {};
    return done;
}

QString defaultLogbookPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("kav-skytraq/logbook.sqlite"));
}

}  // namespace kav::logbook
