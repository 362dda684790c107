#pragma once
// A score's route (turnpoints and closing points) and type as the logbook stores them.

#include <optional>

#include <QString>

#include "flight/flight_score.h"

namespace kav::logbook {

// {"turnpoints":[{"index":i,"time":"...Z","lat":..,"lon":..,"height":..}],"closing":[..]}
QString routeJson(const kav::flight::FlightScore& score);
// Fills score's turnpoints and closing points from routeJson's text; bad text leaves none.
void readRoute(const QString& json, kav::flight::FlightScore& score);

// The type whose scoreTypeName is name; None for a name not known.
kav::flight::ScoreType scoreTypeFromName(const QString& name);

}  // namespace kav::logbook
