#include "export/igc_writer.h"

#include <algorithm>
#include <cmath>

#include <QRegularExpression>
#include <QStringList>

#include "export/chunk_writer.h"
#include "export/converti.h"
#include "kav/version.h"
#include "log/gps_time.h"

namespace kav::exporting {

namespace {

using kav::log::ConvertedTrack;
using kav::log::TDataGAC;

const QString kLineEnd = QStringLiteral("\r\n");
constexpr int kRecorderIdLength = 3;
// The GNSS altitude field holds five characters: a sign takes one of them below 0.
constexpr long long kMaxHeight = 99999;
constexpr long long kMinHeight = -9999;
constexpr long double kThousandthsPerDegree = 60000.0L;
constexpr std::size_t kRecordBytes = 37;  // B record and line end
// Characters the IGC format reserves for its own use.
const QString kReserved = QStringLiteral("$*!\\^~");

char* writeDigits(char* out, long long value, int width) {
    for (int i = width - 1; i >= 0; --i, value /= 10) out[i] = char('0' + value % 10);
    return out + width;
}

// Degrees and thousandths of minutes, rounded as one number so minutes never read 60.
char* writeAngle(char* out, double value, int degreeDigits, char positive, char negative) {
    const long double a = std::isfinite(value) ? std::fabs(static_cast<long double>(value)) : 0;
    const long long thousandths = std::llround(a * kThousandthsPerDegree);
    const long long maxDegrees = degreeDigits == 2 ? 90 : 180;
    const long long degrees = std::min(thousandths / 60000, maxDegrees);
    out = writeDigits(out, degrees, degreeDigits);
    out = writeDigits(out, degrees == maxDegrees ? 0 : thousandths % 60000, 5);
    *out++ = value < 0 ? negative : positive;
    return out;
}

char* writeHeight(char* out, double metres) {
    const long long h =
        std::isfinite(metres)
            ? std::clamp(static_cast<long long>(std::rint(metres)), kMinHeight, kMaxHeight)
            : 0;
    if (h >= 0) return writeDigits(out, h, 5);
    *out++ = '-';
    return writeDigits(out, -h, 4);
}

bool hasPosition(const TDataGAC& point) {
    return point.xLat != 0 || point.xLong != 0 || point.xAlti != 0;
}

char* writeBRecord(char* out, const TDataGAC& point) {
    *out++ = 'B';
    out = SecToHms(out, point.xSeconde);
    out = writeAngle(out, point.xLat, 2, 'N', 'S');
    out = writeAngle(out, point.xLong, 3, 'E', 'W');
    *out++ = hasPosition(point) ? 'A' : 'V';
    out = writeText(out, "00000");
    return writeHeight(out, point.xHeight);
}

QString headerLines(const IgcHeader& header, const QDate& date) {
    const QString number = QStringLiteral("%1").arg(header.flightOfDay, 2, 10, QChar(u'0'));
    const QStringList lines = {
        QStringLiteral("AXXX") + igcRecorderId(header.serialNumber) +
            QStringLiteral("Canmore GT-730FL-S"),
        QStringLiteral("HFDTEDATE:") + date.toString(QStringLiteral("ddMMyy")) + u',' + number,
        QStringLiteral("HFPLTPILOTINCHARGE:") + igcText(header.pilot),
        QStringLiteral("HFGTYGLIDERTYPE:"),
        QStringLiteral("HFGIDGLIDERID:"),
        QStringLiteral("HFDTMGPSDATUM:WGS84"),
        QStringLiteral("HFRFWFIRMWAREVERSION:") + igcText(header.firmware),
        QStringLiteral("HFRHWHARDWAREVERSION:") + igcText(header.hardware),
        QStringLiteral("HFFTYFRTYPE:Canmore,GT-730FL-S,KAV-SkyTraq V6 " KAV_VERSION),
        QStringLiteral("HFGPSRECEIVER:SkyTraq,Venus 6,48"),
        QStringLiteral("HFPRSPRESSALTSENSOR:NIL"),
        QStringLiteral("LXXXNOT IGC-APPROVED: NO SECURITY RECORD"),
    };
    return lines.join(kLineEnd) + kLineEnd;
}

void appendBRecords(QByteArray& bytes, const ConvertedTrack& track) {
    ChunkWriter chunks([&bytes](QByteArrayView piece) { bytes.append(piece); });
    long long previous = 0;
    for (std::size_t i = 0; i < track.points.size(); ++i) {
        const long long second = kav::log::wholeSeconds(track.times[i]);
        if (i > 0 && second <= previous) continue;
        previous = second;
        char* out = writeBRecord(chunks.room(kRecordBytes), track.points[i]);
        chunks.advance(writeText(out, "\r\n"));
    }
    chunks.flush();
}

}  // namespace

QString igcRecorderId(const QString& serialNumber) {
    QString id;
    for (auto c = serialNumber.crbegin();
         c != serialNumber.crend() && id.size() < kRecorderIdLength; ++c) {
        if (c->unicode() < 0x80 && c->isLetterOrNumber()) id.prepend(c->toUpper());
    }
    return id.rightJustified(kRecorderIdLength, u'0');
}

QString igcText(const QString& text) {
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    QString stripped = text;
    stripped.remove(tags);
    stripped = stripped.normalized(QString::NormalizationForm_KD);
    QString ascii;
    for (QChar c : stripped) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u > 0x7e || kReserved.contains(c) || c == u'<' || c == u'>') continue;
        ascii += c;
    }
    return ascii.simplified();
}

QString igcBRecord(const TDataGAC& point) {
    char record[kRecordBytes];
    return QString::fromLatin1(record, writeBRecord(record, point) - record);
}

QString igcFileName(const QDate& date, const QString& serialNumber, int flightOfDay) {
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("-XXX-") +
           igcRecorderId(serialNumber) +
           QStringLiteral("-%1.igc").arg(flightOfDay, 2, 10, QChar(u'0'));
}

QDate igcFlightDate(const ConvertedTrack& track, const QDate& fallback) {
    if (track.times.empty()) return fallback;
    return kav::log::toQDateTime(track.times.front()).date();
}

WriteResult writeIgcFile(const QString& path, const IgcHeader& header,
                         const ConvertedTrack& track) {
    if (track.times.size() != track.points.size())
        return WriteResult::failure(QStringLiteral("The track's point arrays differ in length"));
    return writeNewFile(path, igcFileBytes(header, track));
}

QByteArray igcFileBytes(const IgcHeader& header, const ConvertedTrack& track) {
    QByteArray bytes = headerLines(header, igcFlightDate(track, header.fallbackDate)).toLatin1();
    bytes.reserve(bytes.size() + qsizetype(track.points.size() * kRecordBytes));
    appendBRecords(bytes, track);
    return bytes;
}

}  // namespace kav::exporting
