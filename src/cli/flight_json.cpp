#include "cli/flight_json.h"

#include <QStringList>

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

QString fixJson(const FlightFix& f) {
    return QStringLiteral(R"({"time":"%1","lat":%2,"lon":%3,"height_m":%4})")
        .arg(isoText(f.time), number(f.lat, 6), number(f.lon, 6), number(f.height, 0));
}

}  // namespace

QString scoreJson(const kav::flight::FlightScore& s) {
    QStringList turnpoints;
    for (const kav::flight::ScorePoint& p : s.turnpoints) turnpoints << fixJson(p.fix);
    QString json =
        QStringLiteral(R"({"rules":"%1","type":"%2","km":%3,"points":%4,"factor":%5,)"
                       R"("upper":%6,"turnpoints":[%7])")
            .arg(kav::flight::scoreRulesName(s.rules), kav::flight::scoreTypeName(s.type),
                 number(s.km, 3), number(s.points, 3), number(s.factor, 1),
                 number(s.upperPoints, 3), turnpoints.join(u','));
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

}  // namespace kav::cli
