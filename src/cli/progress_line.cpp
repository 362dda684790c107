#include "cli/progress_line.h"

#include "cli/console.h"
#include "link/raw_block.h"

namespace kav::cli {

namespace {

QString rateText(double bytesPerSecond) {
    if (bytesPerSecond >= 1024.0 * 1024.0)
        return QString::number(bytesPerSecond / (1024.0 * 1024.0), 'f', 1) +
               QStringLiteral(" MiB/s");
    if (bytesPerSecond >= 1024.0)
        return QString::number(bytesPerSecond / 1024.0, 'f', 1) + QStringLiteral(" KiB/s");
    return QString::number(qint64(bytesPerSecond)) + QStringLiteral(" B/s");
}

QString durationText(qint64 seconds) {
    const qint64 h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    const QString ms = QStringLiteral("%1:%2")
                           .arg(m, h > 0 ? 2 : 1, 10, QLatin1Char('0'))
                           .arg(s, 2, 10, QLatin1Char('0'));
    return h > 0 ? QString::number(h) + u':' + ms : ms;
}

}  // namespace

QString progressText(int done, int total, qint64 elapsedMs) {
    QString text = QStringLiteral("sector %1 of %2").arg(done).arg(total);
    if (done <= 0 || elapsedMs <= 0) return text;
    const double bytesPerSecond =
        double(done) * double(kav::link::kSectorSize) * 1000.0 / double(elapsedMs);
    const qint64 leftMs = qint64(double(elapsedMs) * double(qMax(0, total - done)) / double(done));
    return text + QStringLiteral(", ") + rateText(bytesPerSecond) + QStringLiteral(", ") +
           durationText((leftMs + 999) / 1000) + QStringLiteral(" left");
}

ProgressLine::ProgressLine(bool enabled) : enabled_(enabled) {}

void ProgressLine::start() {
    clock_.start();
}

void ProgressLine::update(int done, int total) {
    if (!enabled_) return;
    if (!clock_.isValid()) clock_.start();
    const QString text =
        progressText(done, total, clock_.elapsed()) + QStringLiteral(", %1 baud").arg(baud_);
    writeErr(QStringLiteral("\r") + text.leftJustified(72));
    shown_ = true;
}

void ProgressLine::finish() {
    if (shown_) writeErr(QStringLiteral("\n"));
    shown_ = false;
}

}  // namespace kav::cli
