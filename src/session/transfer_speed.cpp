#include "session/transfer_speed.h"

#include <array>

namespace kav::session {

namespace {

struct Speed {
    TransferSpeed speed;
    const char* name;
    const char* title;
    TransferSettings settings;
};

constexpr std::array<Speed, 3> kSpeeds{{
    {TransferSpeed::Standard, "standard", "Standard", {115200, 1}},
    {TransferSpeed::Fast, "fast", "Fast", {230400, kSectorsPerBlock}},
    {TransferSpeed::Fastest, "fastest", "Fastest", {921600, kSectorsPerBlock}},
}};

}  // namespace

TransferSettings transferSettings(TransferSpeed speed) {
    return kSpeeds[std::size_t(speed)].settings;
}

std::optional<TransferSpeed> transferSpeedFromName(const QString& name) {
    for (const Speed& s : kSpeeds)
        if (name.compare(QLatin1String(s.name), Qt::CaseInsensitive) == 0) return s.speed;
    return std::nullopt;
}

QString transferSpeedName(TransferSpeed speed) {
    return QLatin1String(kSpeeds[std::size_t(speed)].name);
}

QStringList transferSpeedTitles() {
    QStringList titles;
    for (const Speed& s : kSpeeds) titles << QLatin1String(s.title);
    return titles;
}

}  // namespace kav::session
