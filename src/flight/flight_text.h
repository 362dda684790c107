#pragma once
// A flight's score and statistics in words, as the command line prints them and the window
// shows them.

#include <QStringList>

#include "flight/flight_score.h"
#include "flight/flight_stats.h"

namespace kav::flight {

// "FAI triangle  41.98 km  67.18 points (xcontest, factor 1.4)", then one line per turnpoint
// and the closing.
QStringList scoreLines(const FlightScore& score);
// Duration and ends; heights, climb and sink; distances and speeds.
QStringList statsLines(const FlightStats& stats);

}  // namespace kav::flight
