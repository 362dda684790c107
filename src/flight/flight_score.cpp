#include "flight/flight_score.h"

namespace kav::flight {

// Placeholder until the search is written: no route.
FlightScore scoreFlight(std::span<const FlightFix>, ScoreRules rules) {
    FlightScore score;
    score.rules = rules;
    return score;
}

QString scoreTypeName(ScoreType type) {
    switch (type) {
        case ScoreType::None:
            return QStringLiteral("none");
        case ScoreType::FreeDistance:
            return QStringLiteral("free distance");
        case ScoreType::FlatTriangle:
            return QStringLiteral("flat triangle");
        case ScoreType::FaiTriangle:
            return QStringLiteral("FAI triangle");
        case ScoreType::ClosedFlatTriangle:
            return QStringLiteral("closed flat triangle");
        case ScoreType::ClosedFaiTriangle:
            return QStringLiteral("closed FAI triangle");
    }
    return {};
}

QString scoreRulesName(ScoreRules rules) {
    return rules == ScoreRules::Ffvl ? QStringLiteral("ffvl") : QStringLiteral("xcontest");
}

std::optional<ScoreRules> scoreRulesFromName(const QString& name) {
    if (name.compare(QStringLiteral("xcontest"), Qt::CaseInsensitive) == 0)
        return ScoreRules::XContest;
    if (name.compare(QStringLiteral("ffvl"), Qt::CaseInsensitive) == 0) return ScoreRules::Ffvl;
    return std::nullopt;
}

}  // namespace kav::flight
