#include "cli/score_placemarks.h"

namespace kav::cli {

namespace {

kav::exporting::KmlPlacemark placemark(const QString& name, const kav::flight::FlightFix& f) {
    return {name, f.lat, f.lon, f.height};
}

}  // namespace

std::vector<kav::exporting::KmlPlacemark> scorePlacemarks(const kav::flight::FlightScore& score) {
    std::vector<kav::exporting::KmlPlacemark> marks;
    const bool triangle = score.closingStart.has_value();
    const std::size_t n = score.turnpoints.size();
    for (std::size_t k = 0; k < n; ++k) {
        QString name = QStringLiteral("turnpoint %1").arg(triangle ? k + 1 : k);
        if (!triangle && k == 0) name = QStringLiteral("start");
        if (!triangle && k + 1 == n) name = QStringLiteral("finish");
        marks.push_back(placemark(name, score.turnpoints[k].fix));
    }
    if (triangle && score.closingEnd) {
        marks.push_back(placemark(QStringLiteral("closing start"), score.closingStart->fix));
        marks.push_back(placemark(QStringLiteral("closing end"), score.closingEnd->fix));
    }
    return marks;
}

QString scoreFolderName(const kav::flight::FlightScore& score) {
    return QStringLiteral("%1 %2 km, %3 points (%4)")
        .arg(kav::flight::scoreTypeName(score.type), QString::number(score.km, 'f', 2),
             QString::number(score.points, 'f', 2), kav::flight::scoreRulesName(score.rules));
}

}  // namespace kav::cli
