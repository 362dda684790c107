#include "cli/config_rules.h"

#include <algorithm>

namespace kav::cli {

namespace {
uint16_t low16(uint64_t value) {
    return uint16_t(value & 0xFFFFu);
}
uint16_t low16(qint32 value) {
    return uint16_t(uint32_t(value) & 0xFFFFu);
}
bool allDigits(const QString& text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}
}  // namespace

std::array<uint16_t, 7> criteriaFor(const ConfigRequest& request,
                                    const kav::link::LogStatus& current) {
    std::array<uint16_t, 7> v{};
    v[0] = low16(current.timeMax);
    v[2] = low16(current.distMax);
    if (request.every == LogEvery::Seconds) {
        v[1] = low16(request.amount);
        v[3] = 0;
        if (v[0] == 0) v[0] = 1;
    } else {
        v[1] = 0;
        v[3] = low16(request.amount);
        if (v[3] == 0) v[3] = 50;
    }
    v[4] = low16(current.speedMax);
    v[5] = request.minSpeed ? low16(*request.minSpeed) : low16(current.speedMin);
    v[6] = request.logging.value_or(current.logging) ? 1 : 0;
    return v;
}

std::optional<uint64_t> parseDigits(const QString& text) {
    if (text.size() > 19 || !allDigits(text)) return std::nullopt;
    return text.toULongLong();
}

std::optional<uint64_t> parseCriterion(const QString& name, const QString& text, QString* error) {
    if (!allDigits(text)) {
        *error = QStringLiteral("--%1 takes a whole number of digits").arg(name);
        return std::nullopt;
    }
    const std::optional<uint64_t> value = parseDigits(text);
    if (!value || *value > kMaxCriterion) {
        *error = QStringLiteral("--%1 %2 is out of range: it takes 0 to %3")
                     .arg(name, text)
                     .arg(kMaxCriterion);
        return std::nullopt;
    }
    return value;
}

}  // namespace kav::cli
