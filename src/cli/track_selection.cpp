#include "cli/track_selection.h"

#include <algorithm>

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
    std::vector<int> numbers;
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
        for (int n = *from; n <= *to; ++n) numbers.push_back(n);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
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

QString numberRanges(const std::vector<int>& numbers) {
    QStringList parts;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t end = i;
        while (end + 1 < numbers.size() && numbers[end + 1] == numbers[end] + 1) ++end;
        parts << (end == i ? QString::number(numbers[i])
                           : QStringLiteral("%1-%2").arg(numbers[i]).arg(numbers[end]));
        i = end + 1;
    }
    return parts.join(QStringLiteral(", "));
}

QString missingTracksText(const std::vector<int>& missing, std::size_t count) {
    if (missing.empty()) return {};
    const QString held =
        count == 1 ? QStringLiteral("1 track") : QStringLiteral("%1 tracks").arg(count);
    return (missing.size() == 1 ? QStringLiteral("there is no track %1 (the log has %2)")
                                : QStringLiteral("there are no tracks %1 (the log has %2)"))
        .arg(numberRanges(missing), held);
}

}  // namespace kav::cli
