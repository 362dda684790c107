#include "logger_memory.h"

#include <algorithm>

namespace kav::sim {
namespace {

bool holdsData(const QByteArray& image, qsizetype first) {
    const auto begin = image.cbegin() + first;
    return std::any_of(begin, begin + kSectorBytes, [](char c) { return uint8_t(c) != 0xFF; });
}

}  // namespace

std::optional<LoggerMemory> LoggerMemory::fromImage(QByteArray image, QString* error) {
    const qsizetype partial = image.size() % kSectorBytes;
    if (partial != 0) image.append(kSectorBytes - partial, char(0xFF));
    if (image.size() / kSectorBytes > kMaxSectors) {
        if (error) *error = QStringLiteral("image larger than %1 sectors").arg(kMaxSectors);
        return std::nullopt;
    }
    return LoggerMemory(std::move(image));
}

int LoggerMemory::totalSectors() const {
    return std::max(full_ ? 1 : kDefaultSectors, int(image_.size() / kSectorBytes));
}

int LoggerMemory::usedSectors() const {
    if (full_) return totalSectors();
    for (int n = int(image_.size() / kSectorBytes) - 1; n > 0; --n)
        if (holdsData(image_, qsizetype(n) * kSectorBytes)) return n;
    return 0;
}

QByteArray LoggerMemory::sector(int n) const {
    const qsizetype first = qsizetype(n) * kSectorBytes;
    if (n < 0 || first >= image_.size()) return QByteArray(kSectorBytes, char(0xFF));
    return image_.mid(first, kSectorBytes);
}

void LoggerMemory::clear() {
    image_.clear();
    full_ = false;
}

}  // namespace kav::sim
