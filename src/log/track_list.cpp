#include "log/track_list.h"

#include "log/datalog_decoder.h"
#include "log/gps_time.h"

namespace kav::log {

namespace {

int64_t secondsOf(const TDataECEF& f) {
    return gpsUtcSeconds(f.WeekNumber, f.TimeOfWeek);
}

// The one cutting rule, within a sector and across sector boundaries alike.
bool startsNewTrack(const TDataECEF& previous, const TDataECEF& fix) {
    const int64_t step = secondsOf(fix) - secondsOf(previous);
    return step < 0 || step > kTrackGapSeconds;
}

DateTime dateTimeOf(const TDataECEF& f) {
    return GpsTime2Datetime(f.WeekNumber, f.TimeOfWeek);
}

}  // namespace

std::size_t LogCollection::SavePacket(std::span<const uint8_t> sector) {
    const std::size_t firstNew = log_.size();
    const std::size_t added = walkSector(sector, log_);
    if (added == 0) return 0;
    for (std::size_t i = firstNew; i < log_.size(); ++i) {
        if (tracks_.empty() || startsNewTrack(log_[i - 1], log_[i])) {
            closeLastTrack(i - 1);
            const DateTime start = dateTimeOf(log_[i]);
            tracks_.push_back(Track{i, i, start, start});
        }
    }
    closeLastTrack(log_.size() - 1);
    marked_ = int(tracks_.size()) - 1;
    return added;
}

// Ends the newest track (if any) at fix `last`.
void LogCollection::closeLastTrack(std::size_t last) {
    if (tracks_.empty()) return;
    tracks_.back().last = last;
    tracks_.back().finish = dateTimeOf(log_[last]);
}

void LogCollection::clear() {
    log_.clear();
    tracks_.clear();
    marked_ = -1;
}

void LogCollection::setMarkedTrack(int index) {
    if (index >= -1 && index < int(tracks_.size())) marked_ = index;
}

}  // namespace kav::log
