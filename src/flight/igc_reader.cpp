#include "flight/igc_reader.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QDate>
#include <QList>

namespace kav::flight {

namespace {

using kav::log::DateTime;

constexpr double kSecondsPerDay = 86400;
// B HHMMSS DDMMmmm N DDDMMmmm E V PPPPP GGGGG: the fixed part of every B record.
constexpr qsizetype kFixLength = 35;

int digits(QByteArrayView text, qsizetype from, qsizetype count, bool* ok) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            *ok = false;
            return 0;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// HFDTE310725 or HFDTEDATE:310725,01: the UTC date of the first fix.
std::optional<QDate> headerDate(QByteArrayView line) {
    if (!line.startsWith("HFDTE")) return std::nullopt;
    qsizetype at = 5;
    while (at < line.size() && (line[at] < '0' || line[at] > '9')) ++at;
    if (at + 6 > line.size()) return std::nullopt;
    bool ok = true;
    const int day = digits(line, at, 2, &ok), month = digits(line, at + 2, 2, &ok);
    const int year = digits(line, at + 4, 2, &ok);
    // Two-digit years: the flight recorder format was defined in the 1990s.
    const QDate date(year < 80 ? 2000 + year : 1900 + year, month, day);
    if (!ok || !date.isValid()) return std::nullopt;
    return date;
}

struct BRecord {
    int seconds;  // of the UTC day
    double lat, lon, height;
    bool valid;  // 3D fix
};

double degrees(QByteArrayView line, qsizetype at, qsizetype degreeDigits, bool* ok) {
    const int d = digits(line, at, degreeDigits, ok);
    const int thousandthsOfMinutes = digits(line, at + degreeDigits, 5, ok);
    return d + thousandthsOfMinutes / 60000.0;
}

std::optional<BRecord> bRecord(QByteArrayView line) {
    if (line.size() < kFixLength || line[0] != 'B') return std::nullopt;
    bool ok = true;
    BRecord b;
    b.seconds =
        digits(line, 1, 2, &ok) * 3600 + digits(line, 3, 2, &ok) * 60 + digits(line, 5, 2, &ok);
    b.lat = degrees(line, 7, 2, &ok);
    b.lon = degrees(line, 15, 3, &ok);
    const char ns = line[14], ew = line[23];
    if ((ns != 'N' && ns != 'S') || (ew != 'E' && ew != 'W')) return std::nullopt;
    if (ns == 'S') b.lat = -b.lat;
    if (ew == 'W') b.lon = -b.lon;
    b.valid = line[24] == 'A';
    // Pressure and GNSS heights, each five characters with an optional leading minus.
    const auto height = [&line](qsizetype at) {
        bool fine = true;
        const bool negative = line[at] == '-';
        const int value = digits(line, at + (negative ? 1 : 0), negative ? 4 : 5, &fine);
        return fine ? std::optional<double>(negative ? -value : value) : std::nullopt;
    };
    const std::optional<double> pressure = height(25), gnss = height(30);
    if (!ok || b.seconds >= 86400 || std::abs(b.lat) > 90 || std::abs(b.lon) > 180)
        return std::nullopt;
    // Recorders without GNSS height write zeros there; the pressure height stands in.
    b.height = gnss && *gnss != 0 ? *gnss : pressure.value_or(0);
    return b;
}

DateTime dayStart(const QDate& date) {
    return double(QDate(1899, 12, 30).daysTo(date));
}

}  // namespace

IgcRead readIgc(const QByteArray& text) {
    IgcRead read;
    QDate date;
    std::vector<BRecord> records;
    QByteArray lines = text;
    lines.replace('\r', '\n');  // CR LF, CR CR LF and CR alone all end a line
    for (const QByteArray& raw : lines.split('\n')) {
        const QByteArrayView line = QByteArrayView(raw).trimmed();  // CR CR LF ends, blanks
        if (line.isEmpty()) continue;
        if (const auto d = headerDate(line); d && date.isNull()) date = *d;
        if (line[0] != 'B') continue;
        if (const auto b = bRecord(line))
            records.push_back(*b);
        else
            ++read.skipped;
    }
    if (records.empty()) {
        read.error = QStringLiteral("no fix (B record) in the file");
        return read;
    }
    // Fixes marked 2D only are dropped unless the file holds nothing else.
    const bool anyValid =
        std::any_of(records.begin(), records.end(), [](const BRecord& b) { return b.valid; });
    if (date.isNull()) date = QDate(2000, 1, 1);  // no date: times keep their order
    DateTime day = dayStart(date);
    int lastSeconds = -1;
    for (const BRecord& b : records) {
        if (anyValid && !b.valid) {
            ++read.skipped;
            continue;
        }
        if (lastSeconds >= 0 && b.seconds < lastSeconds - kSecondsPerDay / 2) ++day;  // midnight
        const DateTime t = day + b.seconds / kSecondsPerDay;
        if (!read.fixes.empty() && t <= read.fixes.back().time) {
            ++read.skipped;  // a repeat, or a step back in time
            continue;
        }
        lastSeconds = b.seconds;
        read.fixes.push_back({t, b.lat, b.lon, b.height});
    }
    return read;
}

}  // namespace kav::flight
