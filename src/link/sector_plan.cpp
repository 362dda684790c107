#include "link/sector_plan.h"

#include <algorithm>

namespace kav::link {

int sectorsToRead(const LogStatus& status) {
    return std::min(int(status.SectorsToDownload) + 1, int(status.totalSectors));
}

SectorPlan::SectorPlan(int sectorsToRead, int blockSize)
    : total_(std::max(0, sectorsToRead)), blockSize_(std::max(1, blockSize)) {}

std::optional<SectorPlan::Request> SectorPlan::next() const {
    if (next_ >= total_) return std::nullopt;
    const int size = next_ < singleUntil_ ? 1 : blockSize_;
    return Request{next_, std::min(size, total_ - next_)};
}

void SectorPlan::received(int count) {
    next_ = std::min(total_, next_ + std::max(0, count));
}

void SectorPlan::splitBlock() {
    if (const auto request = next()) singleUntil_ = request->first + request->count;
}

}  // namespace kav::link
