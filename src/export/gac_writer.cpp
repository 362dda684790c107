#include "export/gac_writer.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QLocale>
#include <QStringEncoder>
#include <QStringList>

#include "export/chunk_writer.h"
#include "export/converti.h"
#include "log/gps_time.h"

namespace kav::exporting {

namespace {

using kav::log::ConvertedTrack;
using kav::log::TDataGAC;

const QString kLineEnd = QStringLiteral("\r\n");
constexpr int32_t kMaxAltitude = 99999;
constexpr uint16_t kMaxSpeed = 9999;
constexpr uint16_t kMaxTrack = 999;
// A B record and its line end, with room for positions no fix can have.
constexpr std::size_t kMaxRecordBytes = 32 + 2 * kPositionMaxBytes;
constexpr qsizetype kRecordBytes = 44;

// Writes a value of at most width digits, zero-filled on the left.
char* writeZeroFilled(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i, value /= 10) out[i] = char('0' + value % 10);
    return out + width;
}

char* writeBRecord(char* out, const TDataGAC& point) {
    *out++ = 'B';
    out = SecToHms(out, point.xSeconde);
    out = NumToLatVMU(out, point.xLat);
    out = NumToLongVMU(out, point.xLong);
    out = writeText(out, "A99999");
    out = writeZeroFilled(out, point.xAlti < 0 || point.xAlti > kMaxAltitude ? 0 : point.xAlti, 5);
    out = writeZeroFilled(out, point.xSpeed > kMaxSpeed ? 0 : point.xSpeed, 4);
    return writeZeroFilled(out, point.xTrack > kMaxTrack ? 0 : point.xTrack, 3);
}

bool hasPosition(const TDataGAC& point) {
    return point.xLat != 0 && point.xLong != 0 && point.xAlti != 0;
}

uint16_t courseDegrees(const TDataGAC& from, const TDataGAC& to) {
    const double course = RadCoordToRte(DegToRad(from.xLat), DegToRad(from.xLong),
                                        DegToRad(to.xLat), DegToRad(to.xLong));
    return static_cast<uint16_t>(std::rint(RadToDeg(course)));  // halves to even
}

QString flightDate(kav::log::DateTime when) {
    return QLocale::c().toString(kav::log::toQDateTime(when).date(), u"ddMMyy");
}

// Index of the first fix that has a position, or the number of fixes.
std::size_t firstWritten(const ConvertedTrack& track) {
    const auto first = std::find_if(track.points.begin(), track.points.end(), hasPosition);
    return std::size_t(first - track.points.begin());
}

// Appends the B records of the valid fixes from index first on (ASCII, the same bytes in every
// 8-bit code page); each course runs from the previous written fix, the first is 0.
void appendBRecords(QByteArray& bytes, const ConvertedTrack& track, std::size_t first) {
    ChunkWriter chunks([&bytes](QByteArrayView piece) { bytes.append(piece); });
    std::optional<TDataGAC> previous;
    for (std::size_t i = first; i < track.points.size(); ++i) {
        TDataGAC point = track.points[i];
        if (!hasPosition(point)) continue;
        point.xTrack = previous ? courseDegrees(*previous, point) : 0;
        char* out = writeBRecord(chunks.room(kMaxRecordBytes), point);
        chunks.advance(writeText(out, "\r\n"));
        previous = point;
    }
    chunks.flush();
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
    char record[kMaxRecordBytes];
    return QString::fromLatin1(record, writeBRecord(record, point) - record);
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
    return writeGacFile(path, info, Firmware, Hardware, kav::log::convertTrack(log, first, last));
}

WriteResult writeGacFile(const QString& path, const TFileInfo& info, const QString& Firmware,
                         const QString& Hardware, const ConvertedTrack& track) {
    if (track.times.size() != track.points.size())
        return WriteResult::failure(QStringLiteral("The track's point arrays differ in length"));
    return writeNewFile(path, gacFileBytes(info, Firmware, Hardware, track));
}

QByteArray gacFileBytes(const TFileInfo& info, const QString& Firmware, const QString& Hardware,
                        const ConvertedTrack& track) {
    const std::size_t first = firstWritten(track);
    const QString date =
        first < track.points.size() ? flightDate(track.times[first]) : info.DateToday;
    QByteArray bytes =
        QStringEncoder(QStringConverter::System)(headerLines(info, Firmware, Hardware, date));
    bytes.reserve(bytes.size() + qsizetype(track.points.size() - first) * kRecordBytes);
    appendBRecords(bytes, track, first);
    return bytes;
}

}  // namespace kav::exporting
