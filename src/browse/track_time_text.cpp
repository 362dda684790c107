#include "browse/track_time_text.h"

#include "log/gps_time.h"

namespace kav::browse {
namespace {

// Drops the unquoted time-zone fields ("t", "tt", ...) and the blanks around them.
QString withoutZone(const QString& format) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar ch = format[i];
        if (ch == u'\'') quoted = !quoted;
        if (quoted || ch != u't') {
            out += ch;
            continue;
        }
        while (i + 1 < format.size() && format[i + 1] == u't') ++i;
        while (out.endsWith(u' ')) out.chop(1);
    }
    return out.trimmed();
}

}  // namespace

QString trackTimeText(kav::log::DateTime dt, const QLocale& locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat) + u' ' +
                           withoutZone(locale.timeFormat(QLocale::LongFormat));
    return locale.toString(kav::log::toQDateTime(dt), format);
}

}  // namespace kav::browse
