#include "export/converti.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <string_view>

#include <QByteArray>
#include <QLocale>

namespace kav::exporting {

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;
constexpr int32_t kSecondsPerDay = 86400;
const QChar kDegree(0x00B0);

// digits right-aligned in a field of width characters, "0" on the left; longer ones whole.
char* zeroFilled(char* out, std::string_view digits, int width) {
    const std::ptrdiff_t fill = width - std::ptrdiff_t(digits.size());
    if (fill > 0) out = std::fill_n(out, fill, '0');
    return std::copy(digits.begin(), digits.end(), out);
}

// Degrees times 100000 plus thousandths of minutes, rounded as one number and zero-filled.
char* fixedWidthPosition(char* out, double value, int width, char positive, char negative) {
    const long double a = std::fabs(static_cast<long double>(value));
    const long double whole = std::trunc(a);
    const long double n = whole * 100000.0L + (a - whole) * 60000.0L;
    // rint rounds halves to even as nearbyint does, without its costly floating-point
    // environment save and restore.
    const long double rounded = std::rint(n);
    char fast[24];
    QByteArray slow;
    std::string_view digits;
    if (rounded < 1e15L) {
        digits = {fast, std::to_chars(fast, fast + sizeof fast, qlonglong(rounded)).ptr};
    } else {  // never for a position; formatted without the integer cast
        slow = QString::number(static_cast<double>(rounded), 'f', 0).toLatin1();
        digits = {slow.constData(), std::size_t(slow.size())};
    }
    out = zeroFilled(out, digits, width);
    *out++ = value < 0 ? negative : positive;
    return out;
}

char* writeTwoDigits(char* out, int value) {
    *out++ = char('0' + value / 10);
    *out++ = char('0' + value % 10);
    return out;
}

// HH, MM and SS of the seconds of day, joined by separator (none when it is 0).
char* hourGroups(char* out, int32_t value, char separator) {
    const int64_t wrapped = ((int64_t{value} % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
    out = writeTwoDigits(out, static_cast<int>(wrapped / 3600));
    if (separator != 0) *out++ = separator;
    out = writeTwoDigits(out, static_cast<int>(wrapped % 3600 / 60));
    if (separator != 0) *out++ = separator;
    return writeTwoDigits(out, static_cast<int>(wrapped % 60));
}

// The text a char-writing form gives, as a QString.
template <typename Value>
QString asText(char* (*write)(char*, Value), Value value) {
    char text[kPositionMaxBytes];
    return QString::fromLatin1(text, write(text, value) - text);
}

// Minutes of the fraction of a, rounded half to even.
int roundedMinutes(double a) {
    return static_cast<int>(std::nearbyint((a - std::trunc(a)) * 60.0));
}

QLocale userNumberFormat() {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale;
}

QString degreesAndZeroMinutes(const QString& degrees) {
    return degrees + kDegree + QStringLiteral(" 00'");
}

}  // namespace

char* NumToLatVMU(char* out, double Value) {
    return fixedWidthPosition(out, Value, 7, 'N', 'S');
}

char* NumToLongVMU(char* out, double Value) {
    return fixedWidthPosition(out, Value, 8, 'E', 'W');
}

char* SecToHms(char* out, int32_t Value) {
    return hourGroups(out, Value, 0);
}

char* SecToHms2(char* out, int32_t Value) {
    return hourGroups(out, Value, ':');
}

QString NumToLatVMU(double Value) {
    return asText<double>(NumToLatVMU, Value);
}

QString NumToLongVMU(double Value) {
    return asText<double>(NumToLongVMU, Value);
}

QString SecToHms(int32_t Value) {
    return asText<int32_t>(SecToHms, Value);
}

QString SecToHms2(int32_t Value) {
    return asText<int32_t>(SecToHms2, Value);
}

QString SecToIso8601(const QDateTime& DateTime, int32_t Sec) {
    return SecToIso8601(DateTime.date(), Sec);
}

char* SecToIso8601(char* out, const QDate& date, int32_t Sec) {
    char year[16];
    out = zeroFilled(out, {year, std::to_chars(year, year + sizeof year, date.year()).ptr}, 4);
    *out++ = '-';
    out = writeTwoDigits(out, date.month());
    *out++ = '-';
    out = writeTwoDigits(out, date.day());
    *out++ = 'T';
    out = SecToHms2(out, Sec);
    *out++ = 'Z';
    return out;
}

QString SecToIso8601(const QDate& date, int32_t Sec) {
    char text[kIso8601MaxBytes];
    return QString::fromLatin1(text, SecToIso8601(text, date, Sec) - text);
}

int32_t TimeToSec(const QDateTime& Value) {
    const QTime time = Value.time();
    if (!time.isValid()) return 0;
    return time.hour() * 3600 + time.minute() * 60 + time.second();
}

double SuperArcCos(double value) {
    if (value > 1.0) return 0.0;
    if (value < -1.0) return static_cast<double>(kPi);
    return std::acos(value);
}

double DegToRad(double value) {
    return static_cast<double>(value * 2.0L * kPi / 360.0L);
}

double RadToDeg(double value) {
    return static_cast<double>(value / 2.0L / kPi * 360.0L);
}

double RadCoordToRte(double lat1, double long1, double lat2, double long2) {
    const double arc = SuperArcCos(std::sin(lat1) * std::sin(lat2) +
                                   std::cos(lat1) * std::cos(lat2) * std::cos(long2 - long1));
    if (std::fabs(arc) <= 1e-12) return 0.0;
    const double r = SuperArcCos((std::sin(lat2) - std::sin(lat1) * std::cos(arc)) /
                                 (std::sin(arc) * std::cos(lat1)));
    if (std::sin(long1 - long2) > 0) return static_cast<double>(2.0L * kPi) - r;
    return r;
}

QString ConvertTextPoint(const QString& value) {
    const qsizetype comma = value.indexOf(u',');
    if (comma < 0) return value;
    QString result = value;
    result[comma] = u'.';
    return result;
}

QString LatToStr(double Coord) {
    const double a = std::fabs(Coord);
    if (!std::isfinite(a)) return QString();
    const QString degrees = QString::number(std::trunc(a), 'f', 0).left(2);
    const int minutes = roundedMinutes(a);
    const QString body = minutes == 0
                             ? degreesAndZeroMinutes(degrees)
                             : degrees + kDegree + u' ' + QString::number(minutes).left(2) + u'\'';
    return (Coord < 0 ? QStringLiteral("S") : QStringLiteral("N")) + body;
}

QString LongToStr(double Coord) {
    const double a = std::fabs(Coord);
    if (!std::isfinite(a)) return QString();
    const int minutes = roundedMinutes(a);
    if (minutes != 0) return QStringLiteral("   ") + QString::number(minutes).left(3) + u'\'';
    const QString degrees =
        userNumberFormat().toString(a, 'f', QLocale::FloatingPointShortest).left(3);
    return (Coord < 0 ? QStringLiteral("W") : QStringLiteral("E")) + degreesAndZeroMinutes(degrees);
}

}  // namespace kav::exporting
