#include "cli/flight_json.h"

#include "log/gps_time.h"

namespace kav::cli {

namespace {

using kav::flight::FlightFix;

QString number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QString isoText(kav::log::DateTime t) {
    return kav::log::toQDateTime(t).toString(Qt::ISODate);
}

QString utcText(kav::log::DateTime t) {
    return kav::log::toQDateTime(t).toString(QStringLiteral("HH:mm:ss"));
}

QString fixJson(const FlightFix& f) {
    return QStringLiteral(R"({"time":"%1","lat":%2,"lon":%3,"height_m":%4})")
        .arg(isoText(f.time), number(f.lat, 6), number(f.lon, 6), number(f.height, 0));
}

QString fixText(const FlightFix& f) {
    return QStringLiteral("%1  %2 %3").arg(utcText(f.time), number(f.lat, 5), number(f.lon, 5));
}

}  // namespace

QString scoreJson(const kav::flight::FlightScore& s) {
    QStringList turnpoints;
    for (const kav::flight::ScorePoint& p : s.turnpoints) turnpoints << fixJson(p.fix);
    QString json =
        QStringLiteral(R"({"rules":"%1","type":"%2","km":%3,"points":%4,"factor":%5,)"
                       R"("turnpoints":[%6])")
            .arg(kav::flight::scoreRulesName(s.rules), kav::flight::scoreTypeName(s.type),
                 number(s.km, 3), number(s.points, 3), number(s.factor, 1), turnpoints.join(u','));
    if (s.closingStart && s.closingEnd)
        json += QStringLiteral(R"(,"perimeter_km":%1,"closing_km":%2,"closing":[%3,%4])")
                    .arg(number(s.perimeterKm, 3), number(s.closingKm, 3),
                         fixJson(s.closingStart->fix), fixJson(s.closingEnd->fix));
    return json + u'}';
}

QString statsJson(const kav::flight::FlightStats& s) {
    return QStringLiteral(
               R"({"duration_s":%1,"takeoff":%2,"landing":%3,"max_height_m":%4,)"
               R"("min_height_m":%5,"height_gain_m":%6,"max_climb_ms":%7,"max_sink_ms":%8,)"
               R"("max_climb_5s_ms":%9,"max_sink_5s_ms":%10,"track_km":%11,"straight_km":%12,)"
               R"("average_kmh":%13,"max_kmh":%14})")
        .arg(number(s.durationSeconds, 0), fixJson(s.takeoff), fixJson(s.landing),
             number(s.maxHeight, 0), number(s.minHeight, 0), number(s.heightGain, 0),
             number(s.maxClimb, 1), number(s.maxSink, 1), number(s.maxClimb5s, 1))
        .arg(number(s.maxSink5s, 1), number(s.trackKm, 3), number(s.straightKm, 3),
             number(s.averageKmh, 1), number(s.maxKmh, 1));
}

QStringList scoreLines(const kav::flight::FlightScore& s) {
    QStringList lines{QStringLiteral("%1  %2 km  %3 points (%4, factor %5)")
                          .arg(kav::flight::scoreTypeName(s.type), number(s.km, 2),
                               number(s.points, 2), kav::flight::scoreRulesName(s.rules),
                               number(s.factor, 1))};
    for (std::size_t k = 0; k < s.turnpoints.size(); ++k)
        lines << QStringLiteral("  turnpoint %1  %2").arg(k + 1).arg(fixText(s.turnpoints[k].fix));
    if (s.closingStart && s.closingEnd)
        lines << QStringLiteral("  closing %1 km  from %2  to %3")
                     .arg(number(s.closingKm, 2), fixText(s.closingStart->fix),
                          fixText(s.closingEnd->fix));
    return lines;
}

QStringList statsLines(const kav::flight::FlightStats& s) {
    const auto seconds = qint64(s.durationSeconds);
    return {
        QStringLiteral("  duration %1:%2:%3  take-off %4  landing %5")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
            .arg(seconds % 60, 2, 10, QChar(u'0'))
            .arg(fixText(s.takeoff), fixText(s.landing)),
        QStringLiteral(
            "  height max %1 m, gain %2 m; climb %3 m/s (5 s: %4), sink %5 m/s (5 s: %6)")
            .arg(number(s.maxHeight, 0), number(s.heightGain, 0), number(s.maxClimb, 1),
                 number(s.maxClimb5s, 1), number(s.maxSink, 1), number(s.maxSink5s, 1)),
        QStringLiteral("  track %1 km, straight %2 km; speed average %3 km/h, max %4 km/h")
            .arg(number(s.trackKm, 2), number(s.straightKm, 2), number(s.averageKmh, 1),
                 number(s.maxKmh, 1)),
    };
}

}  // namespace kav::cli
