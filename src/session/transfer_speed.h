#pragma once
// How fast a download runs: the line rate and how many sectors one request asks for.

#include <optional>

#include <QString>
#include <QStringList>

namespace kav::session {

enum class TransferSpeed {
    Standard,  // 115200 baud, one sector a request: the logger's own pace
    Fast,      // 230400 baud, a block of sectors a request (the default)
    Fastest,   // 921600 baud, a block of sectors a request
};

// Sectors one request asks for at Fast and Fastest: a block's wire time stays short enough that
// asking for it again costs little (1.4 s at 230400 baud, 0.36 s at 921600), while the time
// between requests shrinks to a small fraction of the transfer.
constexpr int kSectorsPerBlock = 8;

struct TransferSettings {
    int baud = 115200;
    int sectorsPerRequest = 1;
};

TransferSettings transferSettings(TransferSpeed speed);
// "standard", "fast", "fastest", in any case.
std::optional<TransferSpeed> transferSpeedFromName(const QString& name);
QString transferSpeedName(TransferSpeed speed);
// "Standard", "Fast", "Fastest", as the window shows them.
QStringList transferSpeedTitles();

}  // namespace kav::session
