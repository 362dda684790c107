#include "export/gac_writer.h"

#include <cmath>
#include <optional>

#include <QLocale>
#include <QStringEncoder>
#include <QStringList>

#include "export/converti.h"
#include "log/geodesy.h"
#include "log/gps_time.h"

namespace kav::exporting {

namespace {

using kav::log::TDataECEF;
using kav::log::TDataGAC;

const QString kLineEnd = QStringLiteral("\r\n");
constexpr int32_t kMaxAltitude = 99999;
constexpr uint16_t kMaxSpeed = 9999;
constexpr uint16_t kMaxTrack = 999;

// Appends a value of at most width digits, zero-filled on the left.
void appendZeroFilled(QString& text, int value, int width) {
    const qsizetype end = text.size() + width;
    text.resize(end);
    for (qsizetype i = end - 1; i >= end - width; --i, value /= 10)
        text[i] = QChar(u'0' + value % 10);
}

bool hasPosition(const TDataGAC& point) {
    return point.xLat != 0 && point.xLong != 0 && point.xAlti != 0;
}

uint16_t courseDegrees(const TDataGAC& from, const TDataGAC& to) {
    const double course = RadCoordToRte(DegToRad(from.xLat), DegToRad(from.xLong),
                                        DegToRad(to.xLat), DegToRad(to.xLong));
    return static_cast<uint16_t>(std::nearbyint(RadToDeg(course)));
}

QString flightDate(const TDataECEF& fix) {
    const QDateTime utc =
        kav::log::toQDateTime(kav::log::GpsTime2Datetime(fix.WeekNumber, fix.TimeOfWeek));
    return QLocale::c().toString(utc.date(), u"ddMMyy");
}

struct BRecords {
    QString text;
    std::optional<QString> firstDate;  // DDMMYY of the first written fix
};

// B records of the valid fixes; each course runs from the previous written fix, the first is 0.
BRecords buildBRecords(const kav::log::LogData& log, std::size_t first, std::size_t last) {
    BRecords records;
    std::optional<TDataGAC> previous;
    for (std::size_t i = first; i <= last; ++i) {
        TDataGAC point;
        kav::log::Ecef2Gac(log[i], point);
        if (!hasPosition(point)) continue;
        point.xTrack = previous ? courseDegrees(*previous, point) : 0;
        if (!previous) {
            records.firstDate = flightDate(log[i]);
            records.text.reserve(static_cast<qsizetype>((last - i + 1) * 44));
        }
        records.text += gacBRecord(point);
        records.text += kLineEnd;
        previous = point;
    }
    return records;
}

QString headerLines(const TFileInfo& info, const QString& Firmware, const QString& Hardware,
                    const QString& date) {
    const QStringList lines = {
        QStringLiteral("A") + info.CodeFR + info.SerialNo,
        QStringLiteral("HFDTE") + date,
        QStringLiteral("HFPLTPILOT:"),
        QStringLiteral("HFGTYAIRCRAFTTYPE:"),
        QStringLiteral("HFGIDAIRCRAFTID:"),
        QStringLiteral("HFDTM100GPSDATUM:WGS84"),
        QStringLiteral("HFRFWFIRMWAREVERSION:") + Firmware,
        QStringLiteral("HFRHWHHARDWAREVERSION:") + Hardware,
        QStringLiteral("HOFTYFRTYPE:") + info.FRType,
        QStringLiteral("HOGPSRECEIVER:") + info.GPSName,
        QStringLiteral("HFPRSPRESSALTSENSOR:None"),
        info.Structure,
    };
    return lines.join(kLineEnd) + kLineEnd;
}

}  // namespace

QString gacBRecord(const TDataGAC& point) {
    QString record;
    record.reserve(42);
    record += u'B';
    record += SecToHms(point.xSeconde);
    record += NumToLatVMU(point.xLat);
    record += NumToLongVMU(point.xLong);
    record += QStringLiteral("A99999");
    appendZeroFilled(record, point.xAlti < 0 || point.xAlti > kMaxAltitude ? 0 : point.xAlti, 5);
    appendZeroFilled(record, point.xSpeed > kMaxSpeed ? 0 : point.xSpeed, 4);
    appendZeroFilled(record, point.xTrack > kMaxTrack ? 0 : point.xTrack, 3);
    return record;
}

WriteResult writeGacFile(const QString& path, const TFileInfo& info, const QString& Firmware,
                         const QString& Hardware, const kav::log::LogData& log, std::size_t first,
                         std::size_t last) {
    if (first <= last && last >= log.size())
        return WriteResult::failure(
            QStringLiteral("The track (fixes %1 to %2) lies outside the %3 fixes of the log")
                .arg(first)
                .arg(last)
                .arg(log.size()));
    const BRecords records = first <= last ? buildBRecords(log, first, last) : BRecords{};
    const QString text =
        headerLines(info, Firmware, Hardware, records.firstDate.value_or(info.DateToday)) +
        records.text;
    QStringEncoder toCodePage(QStringConverter::System);
    const QByteArray bytes = toCodePage(text);
    return writeNewFile(path, bytes);
}

}  // namespace kav::exporting
