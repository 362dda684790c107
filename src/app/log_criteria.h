#pragma once
// The seven logging criteria sent by the Logger configuration dialog.

#include <array>
#include <optional>

#include <QString>

namespace kav::app {

// Maximum time, minimum time, maximum distance, minimum distance, maximum speed, minimum speed,
// logging enabled (1/0).
using LogCriteria = std::array<quint16, 7>;

struct CriteriaTexts {
    QString timeMax, timeMin, distMax, distMin, speedMax, speedMin;
    bool distanceMode = false;  // "Log every" is "Distance"
    bool logEnabled = true;
};

// Builds the criteria, each kept to its low 16 bits. On a field that is not an integer,
// returns nothing and sets error to the conversion error.
std::optional<LogCriteria> buildLogCriteria(const CriteriaTexts& texts, QString* error);

}  // namespace kav::app
