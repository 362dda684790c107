#include "export/converti.h"

#include <cmath>
#include <numbers>

#include <QLocale>

namespace kav::exporting {

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;
constexpr int32_t kSecondsPerDay = 86400;
const QChar kDegree(0x00B0);

// Degrees times 100000 plus thousandths of minutes, rounded as one number and zero-filled.
QString fixedWidthPosition(double value, int width, QChar positive, QChar negative) {
    const long double a = std::fabs(static_cast<long double>(value));
    const long double whole = std::trunc(a);
    const long double n = whole * 100000.0L + (a - whole) * 60000.0L;
    const long double rounded = std::nearbyintl(n);
    // Positions never reach 1e15; anything beyond is formatted without the integer cast.
    const QString digits = rounded < 1e15L ? QString::number(static_cast<qlonglong>(rounded))
                                           : QString::number(static_cast<double>(rounded), 'f', 0);
    return digits.rightJustified(width, u'0') + (value < 0 ? negative : positive);
}

void appendTwoDigits(QString& text, int value) {
    text.append(QChar(u'0' + value / 10));
    text.append(QChar(u'0' + value % 10));
}

// HH, MM and SS of the seconds of day, joined by separator (if any).
QString hourGroups(int32_t value, QChar separator) {
    const int64_t wrapped = ((int64_t{value} % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
    const int hours = static_cast<int>(wrapped / 3600);
    const int minutes = static_cast<int>(wrapped % 3600 / 60);
    const int seconds = static_cast<int>(wrapped % 60);
    QString text;
    text.reserve(8);
    appendTwoDigits(text, hours);
    if (!separator.isNull()) text.append(separator);
    appendTwoDigits(text, minutes);
    if (!separator.isNull()) text.append(separator);
    appendTwoDigits(text, seconds);
    return text;
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

QString NumToLatVMU(double Value) {
    return fixedWidthPosition(Value, 7, u'N', u'S');
}

QString NumToLongVMU(double Value) {
    return fixedWidthPosition(Value, 8, u'E', u'W');
}

QString SecToHms(int32_t Value) {
    return hourGroups(Value, QChar());
}

QString SecToHms2(int32_t Value) {
    return hourGroups(Value, u':');
}

QString SecToIso8601(const QDateTime& DateTime, int32_t Sec) {
    return SecToIso8601(DateTime.date(), Sec);
}

QString SecToIso8601(const QDate& date, int32_t Sec) {
    QString text = QString::number(date.year()).rightJustified(4, u'0');
    text.reserve(20);
    text += u'-';
    appendTwoDigits(text, date.month());
    text += u'-';
    appendTwoDigits(text, date.day());
    return text + u'T' + SecToHms2(Sec) + u'Z';
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
