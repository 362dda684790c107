#include "app/log_criteria.h"

#include "app/settings_files.h"

namespace kav::app {
namespace {

// The field's value in 16 bits, or nothing when it is not an integer.
std::optional<quint16> low16(const QString& text, QString* error) {
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, 10);
    if (!ok) {
        if (error) *error = conversionErrorText(text);
        return std::nullopt;
    }
    return static_cast<quint16>(static_cast<qulonglong>(value) & 0xFFFF);
}

}  // namespace

std::optional<LogCriteria> buildLogCriteria(const CriteriaTexts& texts, QString* error) {
    const QString* fields[] = {&texts.timeMax, &texts.timeMin,  &texts.distMax,
                               &texts.distMin, &texts.speedMax, &texts.speedMin};
    // The minimum of the mode not chosen is not read: it is sent as 0.
    const int unused = texts.distanceMode ? 1 : 3;
    LogCriteria values{};
    for (int i = 0; i < 6; ++i) {
        if (i == unused) continue;
        const auto value = low16(*fields[i], error);
        if (!value) return std::nullopt;
        values[i] = *value;
    }
    if (texts.distanceMode && values[3] == 0) values[3] = 50;
    if (!texts.distanceMode && values[0] == 0) values[0] = 1;
    values[6] = texts.logEnabled ? 1 : 0;
    return values;
}

}  // namespace kav::app
