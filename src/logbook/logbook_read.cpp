// Reading the flights back, with their files.
#include <QDir>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "log/gps_time.h"
#include "logbook/logbook.h"
#include "logbook/logbook_columns.h"
#include "logbook/score_route.h"

namespace kav::logbook {

namespace {

// The times are kept with their "Z".
QDateTime utc(const QVariant& text) {
    return QDateTime::fromString(text.toString(), Qt::ISODate).toUTC();
}

LoggedFlight flightFrom(const QSqlQuery& query) {
    LoggedFlight flight;
    flight.fingerprint = query.value(QStringLiteral("fingerprint")).toString();
    flight.serialNumber = query.value(QStringLiteral("serial_number")).toString();
    flight.takeoff = utc(query.value(QStringLiteral("takeoff")));
    flight.landing = utc(query.value(QStringLiteral("landing")));
    for (const StatColumn& c : kStatColumns)
        flight.stats.*c.value = query.value(QLatin1String(c.name)).toDouble();
    for (const PlaceColumn& c : kPlaceColumns)
        flight.stats.*c.place.*c.value = query.value(QLatin1String(c.name)).toDouble();
    flight.stats.takeoff.time = kav::log::fromQDateTime(flight.takeoff);
    flight.stats.landing.time = kav::log::fromQDateTime(flight.landing);
    for (const ScoreColumn& c : kScoreColumns)
        flight.score.*c.value = query.value(QLatin1String(c.name)).toDouble();
    flight.score.rules =
        kav::flight::scoreRulesFromName(query.value(QStringLiteral("score_rules")).toString())
            .value_or(kav::flight::ScoreRules::XContest);
    flight.score.type = scoreTypeFromName(query.value(QStringLiteral("score_type")).toString());
    readRoute(query.value(QStringLiteral("score_route")).toString(), flight.score);
    return flight;
}

// The files of every flight, by flight id.
std::optional<QHash<qint64, QStringList>> filesById(QSqlDatabase& db, QSqlError& error) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT flight_id, path FROM flight_files ORDER BY rowid"))) {
        error = query.lastError();
        return std::nullopt;
    }
    QHash<qint64, QStringList> files;
    while (query.next()) files[query.value(0).toLongLong()] << query.value(1).toString();
    return files;
}

}  // namespace

std::optional<std::vector<LoggedFlight>> Logbook::flights(std::optional<int> year,
                                                          LogbookError& error) const {
    QSqlDatabase db = database();
    QSqlQuery query(db);
    QString sql = QStringLiteral("SELECT * FROM flights");
    if (year) sql += QStringLiteral(" WHERE takeoff >= :from AND takeoff < :to");
    query.prepare(sql + QStringLiteral(" ORDER BY takeoff, id"));
    if (year) {
        query.bindValue(QStringLiteral(":from"),
                        QStringLiteral("%1-01-01").arg(*year, 4, 10, QChar(u'0')));
        query.bindValue(QStringLiteral(":to"),
                        QStringLiteral("%1-01-01").arg(*year + 1, 4, 10, QChar(u'0')));
    }
    if (!query.exec()) {
        error = sqlFailure(path_, query.lastError());
        return std::nullopt;
    }
    std::vector<std::pair<qint64, LoggedFlight>> read;
    while (query.next())
        read.emplace_back(query.value(QStringLiteral("id")).toLongLong(), flightFrom(query));
    QSqlError failure;
    const auto files = filesById(db, failure);
    if (!files) {
        error = sqlFailure(path_, failure);
        return std::nullopt;
    }
    std::vector<LoggedFlight> flights;
    for (auto& [id, flight] : read) {
        flight.files = files->value(id);
        flights.push_back(std::move(flight));
    }
    error = {};
    return flights;
}

}  // namespace kav::logbook
