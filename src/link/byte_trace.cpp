#include "link/byte_trace.h"

#include <QDateTime>

namespace kav::link {

namespace {
constexpr qsizetype kBytesPerLine = 32;  // a sector becomes 128 readable lines
}

bool ByteTrace::open(const QString& path, QString* error) {
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        if (error) *error = QStringLiteral("cannot write %1: %2").arg(path, file_.errorString());
        return false;
    }
    clock_.start();
    line(QStringLiteral("-- trace started %1")
             .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)));
    return true;
}

void ByteTrace::bytes(bool out, QByteArrayView data) {
    const QString direction = out ? QStringLiteral("TX") : QStringLiteral("RX");
    for (qsizetype at = 0; at < data.size(); at += kBytesPerLine) {
        const QByteArrayView piece = data.sliced(at, qMin(kBytesPerLine, data.size() - at));
        line(direction + QLatin1Char(' ') + QString::fromLatin1(piece.toByteArray().toHex(' ')));
    }
}

void ByteTrace::note(const QString& text) {
    line(QStringLiteral("-- ") + text);
}

Transport::Trace ByteTrace::recorder() {
    return [this](bool out, QByteArrayView data) { bytes(out, data); };
}

// Each line carries the seconds since the trace started, to the millisecond.
void ByteTrace::line(const QString& text) {
    if (!file_.isOpen()) return;
    const qint64 ms = clock_.elapsed();
    const QString stamp =
        QStringLiteral("%1.%2 ").arg(ms / 1000, 6).arg(ms % 1000, 3, 10, QLatin1Char('0'));
    file_.write((stamp + text + QLatin1Char('\n')).toUtf8());
    file_.flush();  // the trace is most wanted when the program does not end well
}

}  // namespace kav::link
