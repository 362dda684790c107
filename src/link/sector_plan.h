#pragma once
// Which sectors of the memory to ask for next. The memory is read from sector 0 in blocks of
// up to blockSize sectors; a block that keeps failing its check is read again sector by sector,
// so one bad sector costs a few re-reads, not the whole block.

#include <optional>

#include "link/reply_format.h"

namespace kav::link {

// Sectors a download reads: 0 through the used count (the sector being written is read too),
// never one at or beyond the memory's total.
int sectorsToRead(const LogStatus& status);

class SectorPlan {
  public:
    struct Request {
        int first = 0;
        int count = 1;
        friend bool operator==(const Request&, const Request&) = default;
    };

    SectorPlan() = default;
    SectorPlan(int sectorsToRead, int blockSize);

    // The next request, none when every sector has been read.
    std::optional<Request> next() const;
    // The sectors of the last request arrived.
    void received(int count);
    // The last request failed too often as a block: its sectors are asked for one at a time.
    void splitBlock();

    int read() const { return next_; }
    int total() const { return total_; }
    int blockSize() const { return blockSize_; }

  private:
    int total_ = 0;
    int blockSize_ = 1;
    int next_ = 0;
    int singleUntil_ = 0;  // sectors before this are asked for one at a time
};

}  // namespace kav::link
