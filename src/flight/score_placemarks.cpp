#include "flight/score_placemarks.h"

namespace kav::flight {

std::vector<NamedFix> scoreMarks(const FlightScore& score) {
    std::vector<NamedFix> marks;
    const bool triangle = score.closingStart.has_value();
    const std::size_t n = score.turnpoints.size();
    for (std::size_t k = 0; k < n; ++k) {
        QString name = QStringLiteral("turnpoint %1").arg(triangle ? k + 1 : k);
        if (!triangle && k == 0) name = QStringLiteral("start");
        if (!triangle && k + 1 == n) name = QStringLiteral("finish");
        marks.push_back({name, score.turnpoints[k].fix});
    }
    if (triangle && score.closingEnd) {
        marks.push_back({QStringLiteral("closing start"), score.closingStart->fix});
        marks.push_back({QStringLiteral("closing end"), score.closingEnd->fix});
    }
    return marks;
}

QString scoreFolderName(const FlightScore& score) {
    return QStringLiteral("%1 %2 km, %3 points (%4)")
        .arg(scoreTypeName(score.type), QString::number(score.km, 'f', 2),
             QString::number(score.points, 'f', 2), scoreRulesName(score.rules));
}

}  // namespace kav::flight
