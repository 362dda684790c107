#include "browse/short_list_filter.h"

#include "log/gps_time.h"

namespace kav::browse {

long long trackSeconds(const kav::log::Track& track) {
    return kav::log::wholeSeconds(track.finish) - kav::log::wholeSeconds(track.start);
}

ShortListResult TraceGridFilter(const ShortListInput& in) {
    const int count = int(in.tracks.size());
    ShortListResult out;
    out.hidden.assign(std::size_t(count), false);
    int active = (in.mark >= 0 && in.mark < count) ? in.mark : -1;
    int lastVisible = -1;
    bool anyHidden = false;
    for (int i = 0; i < count; ++i) {
        if (in.on && trackSeconds(in.tracks[std::size_t(i)]) < in.minSeconds) {
            out.hidden[std::size_t(i)] = true;
            anyHidden = true;
            if (active == i) active = -1;
        } else {
            lastVisible = i;
        }
    }
    if (active < 0) active = lastVisible;
    out.mark = active;
    // With every track hidden the last one is still plotted, as the table's last row read.
    out.plotTrack = active >= 0 ? active : count - 1;
    // Visible while anything is hidden, so hidden tracks can always be shown again.
    out.boxWanted = in.on ? anyHidden : in.boxWasWanted;
    return out;
}

}  // namespace kav::browse
