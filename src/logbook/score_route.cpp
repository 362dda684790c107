#include "logbook/score_route.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "log/gps_time.h"

namespace kav::logbook {

using kav::flight::ScorePoint;
using kav::flight::ScoreType;

namespace {

QJsonObject pointJson(const ScorePoint& point) {
    return {{QStringLiteral("index"), qint64(point.index)},
            {QStringLiteral("time"), kav::log::toQDateTime(point.fix.time).toString(Qt::ISODate)},
            {QStringLiteral("lat"), point.fix.lat},
            {QStringLiteral("lon"), point.fix.lon},
            {QStringLiteral("height"), point.fix.height}};
}

ScorePoint pointFrom(const QJsonObject& json) {
    ScorePoint point;
    point.index = std::size_t(std::max<qint64>(0, json.value(QStringLiteral("index")).toInteger()));
    point.fix.time = kav::log::fromQDateTime(
        QDateTime::fromString(json.value(QStringLiteral("time")).toString(), Qt::ISODate));
    point.fix.lat = json.value(QStringLiteral("lat")).toDouble();
    point.fix.lon = json.value(QStringLiteral("lon")).toDouble();
    point.fix.height = json.value(QStringLiteral("height")).toDouble();
    return point;
}

}  // namespace

QString routeJson(const kav::flight::FlightScore& score) {
    QJsonArray turnpoints;
    for (const ScorePoint& point : score.turnpoints) turnpoints.append(pointJson(point));
    QJsonObject route{{QStringLiteral("turnpoints"), turnpoints}};
    if (score.closingStart && score.closingEnd)
        route.insert(QStringLiteral("closing"),
                     QJsonArray{pointJson(*score.closingStart), pointJson(*score.closingEnd)});
    return QString::fromUtf8(QJsonDocument(route).toJson(QJsonDocument::Compact));
}

void readRoute(const QString& json, kav::flight::FlightScore& score) {
    const QJsonObject route = QJsonDocument::fromJson(json.toUtf8()).object();
    for (const QJsonValue& point : route.value(QStringLiteral("turnpoints")).toArray())
        score.turnpoints.push_back(pointFrom(point.toObject()));
    const QJsonArray closing = route.value(QStringLiteral("closing")).toArray();
    if (closing.size() != 2) return;
    score.closingStart = pointFrom(closing[0].toObject());
    score.closingEnd = pointFrom(closing[1].toObject());
}

ScoreType scoreTypeFromName(const QString& name) {
    for (ScoreType type : {ScoreType::FreeDistance, ScoreType::FlatTriangle, ScoreType::FaiTriangle,
                           ScoreType::ClosedFlatTriangle, ScoreType::ClosedFaiTriangle})
        if (kav::flight::scoreTypeName(type) == name) return type;
    return ScoreType::None;
}

}  // namespace kav::logbook
