#pragma once
// A strict reader of IGC flight records, written from the format's description and nothing of
// the program's own code: record order and letters, fixed B-record columns, printable ASCII,
// CR LF, the date header, times that only increase (midnight rolling over into the next day).

#include <algorithm>

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace kav::testing {

struct IgcFix {
    qint64 utcSeconds = 0;  // since 1970, the date header's day plus any midnight rollovers
    double lat = 0, lon = 0;
    bool valid = false;  // A (3-D) or V
    int pressureAltitude = 0;
    int gnssAltitude = 0;
};

struct IgcFile {
    QStringList errors;  // empty when the file follows the format
    QDate date;
    int flightOfDay = 0;
    QList<IgcFix> fixes;
};

namespace igc_detail {

inline double angle(const QString& deg, const QString& min, QChar hemisphere, QChar negative) {
    const double value = deg.toInt() + min.toInt() / 60000.0;
    return hemisphere == negative ? -value : value;
}

inline void readB(const QString& line, IgcFile& file, qint64& dayStart, qint64& previous) {
    static const QRegularExpression b(QStringLiteral(
        "^B(\\d\\d)(\\d\\d)(\\d\\d)(\\d\\d)(\\d{5})([NS])(\\d{3})(\\d{5})([EW])([AV])"
        "(-\\d{4}|\\d{5})(-\\d{4}|\\d{5})$"));
    const auto m = b.match(line);
    if (!m.hasMatch()) return file.errors << QStringLiteral("bad B record: ") + line, void();
    const int h = m.captured(1).toInt(), mi = m.captured(2).toInt(), s = m.captured(3).toInt();
    if (h > 23 || mi > 59 || s > 59 || m.captured(5).toInt() >= 60000 ||
        m.captured(8).toInt() >= 60000 || m.captured(4).toInt() > 90 || m.captured(7).toInt() > 180)
        file.errors << QStringLiteral("field out of range: ") + line;
    IgcFix fix;
    fix.utcSeconds = dayStart + h * 3600 + mi * 60 + s;
    if (!file.fixes.isEmpty() && fix.utcSeconds <= previous) {
        dayStart += 86400;  // past midnight
        fix.utcSeconds += 86400;
    }
    if (!file.fixes.isEmpty() && fix.utcSeconds - previous > 43200)
        file.errors << QStringLiteral("time jumps back: ") + line;
    previous = fix.utcSeconds;
    fix.lat = angle(m.captured(4), m.captured(5), m.captured(6).at(0), u'S');
    fix.lon = angle(m.captured(7), m.captured(8), m.captured(9).at(0), u'W');
    fix.valid = m.captured(10) == QStringLiteral("A");
    fix.pressureAltitude = m.captured(11).toInt();
    fix.gnssAltitude = m.captured(12).toInt();
    file.fixes << fix;
}

inline void readH(const QString& line, IgcFile& file, qint64& dayStart) {
    static const QRegularExpression date(QStringLiteral("^HFDTE(?:DATE:)?(\\d{6})(?:,(\\d\\d))?$"));
    if (!line.startsWith(QStringLiteral("HFDTE"))) return;
    const auto m = date.match(line);
    file.date = QDate::fromString(m.captured(1), QStringLiteral("ddMMyy")).addYears(100);
    if (!m.hasMatch() || !file.date.isValid())
        return file.errors << QStringLiteral("bad date: ") + line, void();
    file.flightOfDay = m.captured(2).toInt();
    dayStart = file.date.startOfDay(Qt::UTC).toSecsSinceEpoch();
}

}  // namespace igc_detail

inline IgcFile readIgc(const QByteArray& bytes) {
    IgcFile file;
    for (char c : bytes)
        if ((c < 0x20 || c > 0x7e) && c != '\r' && c != '\n')
            return file.errors << QStringLiteral("a byte that is not printable ASCII"), file;
    if (!bytes.endsWith("\r\n") || bytes.count('\n') != bytes.count("\r\n"))
        file.errors << QStringLiteral("lines do not all end in CR LF");
    QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    lines.removeLast();
    qint64 dayStart = 0, previous = 0;
    const QString order = QStringLiteral("AHIJCLBEFKG");  // no record goes back to an earlier kind
    qsizetype stage = 0;
    for (const QString& line : lines) {
        const qsizetype kind = line.isEmpty() ? -1 : order.indexOf(line.at(0));
        if (kind < 0 || (kind == 0 && line != lines.front()) ||
            (kind != 0 && line == lines.front()))
            return file.errors << QStringLiteral("unexpected record: ") + line, file;
        static const QRegularExpression a(QStringLiteral("^A[A-Z0-9]{3}[A-Z0-9]{3}"));
        if (kind == 0 && !a.match(line).hasMatch())
            file.errors << QStringLiteral("bad A record: ") + line;
        if (kind < stage && kind != order.indexOf(u'L'))
            file.errors << QStringLiteral("record out of order: ") + line;
        if (kind != order.indexOf(u'L')) stage = std::max(stage, kind);
        if (line.at(0) == u'H') igc_detail::readH(line, file, dayStart);
        if (line.at(0) == u'B') igc_detail::readB(line, file, dayStart, previous);
    }
    if (!file.date.isValid()) file.errors << QStringLiteral("no date header");
    return file;
}

}  // namespace kav::testing
