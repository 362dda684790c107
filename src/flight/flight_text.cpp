#include "flight/flight_text.h"

#include "log/gps_time.h"

namespace kav::flight {

namespace {

QString number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QString fixText(const FlightFix& f) {
    return QStringLiteral("%1  %2 %3")
        .arg(kav::log::toQDateTime(f.time).toString(QStringLiteral("HH:mm:ss")), number(f.lat, 5),
             number(f.lon, 5));
}

}  // namespace

QStringList scoreLines(const FlightScore& s) {
    QStringList lines{QStringLiteral("%1  %2 km  %3 points (%4, factor %5)")
                          .arg(scoreTypeName(s.type), number(s.km, 2), number(s.points, 2),
                               scoreRulesName(s.rules), number(s.factor, 1))};
    for (std::size_t k = 0; k < s.turnpoints.size(); ++k)
        lines << QStringLiteral("  turnpoint %1  %2").arg(k + 1).arg(fixText(s.turnpoints[k].fix));
    if (!s.proven)
        lines << QStringLiteral(
                     "  the search stopped at its budget: no route scores over %1 points")
                     .arg(number(s.upperPoints, 3));
    if (s.closingStart && s.closingEnd)
        lines << QStringLiteral("  closing %1 km  from %2  to %3")
                     .arg(number(s.closingKm, 2), fixText(s.closingStart->fix),
                          fixText(s.closingEnd->fix));
    return lines;
}

QStringList statsLines(const FlightStats& s) {
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

}  // namespace kav::flight
