#pragma once
// The decoded log and its tracks, extended sector by sector as the memory is read.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fix_types.h"

namespace kav::log {

// A new track starts where time runs backwards or jumps forward by more than this.
constexpr int kTrackGapSeconds = 20;

struct Track {
    std::size_t first = 0;  // index in the log of the track's first fix
    std::size_t last = 0;   // index of its last fix, included
    DateTime start = 0;     // UTC date-time of the first fix
    DateTime finish = 0;    // UTC date-time of the last fix
};

class LogCollection {
  public:
    // Walks one sector's bytes, appends its fixes and extends or cuts tracks.
    // Returns the number of fixes added. The newest track becomes the marked one.
    std::size_t SavePacket(std::span<const uint8_t> sector);
    // Empties the log and the track list.
    void clear();

    const LogData& logData() const { return log_; }
    const std::vector<Track>& tracks() const { return tracks_; }

    // Index of the marked track (the one plotted and exported), or -1 when none.
    int markedTrack() const { return marked_; }
    void setMarkedTrack(int index);

  private:
    void closeLastTrack(std::size_t last);

    LogData log_;
    std::vector<Track> tracks_;
    int marked_ = -1;
};

}  // namespace kav::log
