#include "export/file_info.h"

#include <QLocale>

#include "log/gps_time.h"

namespace kav::exporting {

QString dateTodayText(const QDate& today) {
    QString text = QLocale().toString(today, QLocale::ShortFormat);
    text.remove(u'/');
    return text.left(4) + text.mid(6, 2);
}

TFileInfo fillFileInfo(const QString& SoftFirmware, const QDate& today) {
    TFileInfo info;
    info.CodeFR = QStringLiteral("AXCM");
    info.FRType = QStringLiteral("Canmore,GT-730FL-S, KAV-GT730 ") + SoftFirmware +
                  QStringLiteral(", UTC=GPS-") + QString::number(kav::log::kGpsUtcOffsetSeconds);
    info.GPSName = QStringLiteral("SKYTRAQ_VENUS6, 48");
    info.Structure = QStringLiteral("I023639GSP4042TRT");
    info.SerialNo = QStringLiteral("No_serial_number");
    info.DateToday = dateTodayText(today);
    return info;
}

}  // namespace kav::exporting
