#include "cli/track_selection.h"

#include <algorithm>
#include <set>

#include <QStringList>

namespace kav::cli {

namespace {

// Bounds a number so that a range cannot ask for billions of entries.
constexpr int kMaxTrackNumber = 1000000;

std::optional<int> trackNumber(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 1 || value > kMaxTrackNumber) return std::nullopt;
    for (QChar c : text.trimmed())
        if (!c.isDigit()) return std::nullopt;  // no signs, no blanks inside
    return value;
}

}  // namespace

std::optional<std::vector<int>> parseTrackList(const QString& text, QString* error) {
    std::set<int> numbers;
    if (text.trimmed().isEmpty()) {
        *error = QStringLiteral("the track list is empty");
        return std::nullopt;
    }
    for (const QString& item : text.split(u',')) {
        const QStringList ends = item.split(u'-');
        const std::optional<int> from = ends.size() <= 2 ? trackNumber(ends.front()) : std::nullopt;
        const std::optional<int> to = ends.size() == 2 ? trackNumber(ends.back()) : from;
        if (!from || !to || *to < *from) {
            *error = QStringLiteral("'%1' is not a track number or range (e.g. 1,3-5)").arg(item);
            return std::nullopt;
        }
        for (int n = *from; n <= *to; ++n) numbers.insert(n);
    }
    return std::vector<int>(numbers.begin(), numbers.end());
}

TrackChoice chooseTracks(const std::vector<int>& numbers, std::size_t count) {
    TrackChoice choice;
    if (numbers.empty()) {
        for (std::size_t i = 0; i < count; ++i) choice.indices.push_back(i);
        return choice;
    }
    for (int n : numbers) {
        if (std::size_t(n) <= count)
            choice.indices.push_back(std::size_t(n) - 1);
        else
            choice.missing.push_back(n);
    }
    return choice;
}

}  // namespace kav::cli
