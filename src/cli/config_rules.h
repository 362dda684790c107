#pragma once
// The logging criteria sent by the config command, by the rules of the Logger configuration
// dialog: the values not given are those the logger reported.

#include <array>
#include <cstdint>
#include <optional>

#include <QString>

#include "link/reply_format.h"

namespace kav::cli {

enum class LogEvery { Seconds, Metres };

struct ConfigRequest {
    LogEvery every = LogEvery::Seconds;
    uint64_t amount = 1;               // seconds or metres
    std::optional<uint64_t> minSpeed;  // km/h; the logger's own when not given
    std::optional<bool> logging;       // the logger's own when not given
};

// The seven values of SetLogCriteria, each the low 16 bits of its number: maximum time (0 -> 1
// when logging by time), minimum time, maximum distance, minimum distance (0 -> 50 when logging
// by distance), maximum speed, minimum speed, logging on.
std::array<uint16_t, 7> criteriaFor(const ConfigRequest& request,
                                    const kav::link::LogStatus& current);

// A number typed as digits only (no sign, no blank); nullopt otherwise.
std::optional<uint64_t> parseDigits(const QString& text);

// The largest value a criterion takes: each goes out as 16 bits.
inline constexpr uint64_t kMaxCriterion = 0xFFFF;

// The value of option --name given as text: digits only, 0 to kMaxCriterion. Otherwise nullopt,
// with the reason in error.
std::optional<uint64_t> parseCriterion(const QString& name, const QString& text, QString* error);

}  // namespace kav::cli
