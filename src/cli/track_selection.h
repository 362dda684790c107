#pragma once
// The --tracks option: track numbers from 1, as single numbers and ranges ("1,3-5").

#include <cstddef>
#include <optional>
#include <vector>

#include <QString>

namespace kav::cli {

// The numbers listed, in increasing order without repeats; nullopt (with a reason in error)
// for an empty list, a 0, a reversed range or anything not a number.
std::optional<std::vector<int>> parseTrackList(const QString& text, QString* error);

struct TrackChoice {
    std::vector<std::size_t> indices;  // 0-based indices of the tracks that exist
    std::vector<int> missing;          // listed numbers beyond the last track
};

// The tracks to save out of count: every one when numbers is empty.
TrackChoice chooseTracks(const std::vector<int>& numbers, std::size_t count);

// Increasing numbers written as a list with runs joined: "3, 5, 7-9".
QString numberRanges(const std::vector<int>& numbers);

// One line naming the listed tracks a log of count tracks does not have; empty for none.
QString missingTracksText(const std::vector<int>& missing, std::size_t count);

}  // namespace kav::cli
