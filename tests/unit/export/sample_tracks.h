#pragma once
// Hand-made plotted tracks for the KML and GPX tests.

#include <QDateTime>

#include "log/track_points.h"

namespace kav::exporting::test {

// Three points over two UTC days, with both hemispheres' signs; n keeps only the first n.
kav::log::TrackPoints sampleTrack(std::size_t n = 3);

// 20 May 2019 09:15:02 at UTC+2.
QDateTime sampleExportMoment();

}  // namespace kav::exporting::test
