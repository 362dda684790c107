#include <gtest/gtest.h>

#include "export_test_support.h"

#include <cmath>

#include <QDir>
#include <QFile>

namespace kav::exporting::test {

namespace {

constexpr double kA = 6378137.0;
constexpr double kF = 1.0 / 298.257223563;
constexpr double kPi = 3.14159265358979323846;
// GPS week 0 began on 6 January 1980; GPS runs 18 s ahead of UTC.
const QDateTime kGpsEpoch(QDate(1980, 1, 6), QTime(0, 0), Qt::UTC);
constexpr int64_t kGpsAheadOfUtc = 18;

}  // namespace

QLocale pointLocale() {
    return QLocale(QLocale::English, QLocale::UnitedKingdom);
}
QLocale commaLocale() {
    return QLocale(QLocale::German, QLocale::Germany);
}

kav::log::TDataECEF fixAt(double latDeg, double lonDeg, double heightM, const QDateTime& utc) {
    const double lat = latDeg * kPi / 180, lon = lonDeg * kPi / 180;
    const double e2 = kF * (2 - kF);
    const double n = kA / std::sqrt(1 - e2 * std::sin(lat) * std::sin(lat));
    kav::log::TDataECEF fix;
    fix.ECEF_X = std::llround((n + heightM) * std::cos(lat) * std::cos(lon));
    fix.ECEF_Y = std::llround((n + heightM) * std::cos(lat) * std::sin(lon));
    fix.ECEF_Z = std::llround((n * (1 - e2) + heightM) * std::sin(lat));
    const int64_t gps = kGpsEpoch.secsTo(utc) + kGpsAheadOfUtc;
    fix.WeekNumber = static_cast<uint16_t>(gps / (7 * 86400));
    fix.TimeOfWeek = static_cast<uint32_t>(gps % (7 * 86400));
    fix.Velocity = 36;
    return fix;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

::testing::AssertionResult matchesExpectedFile(const QByteArray& actual, const QString& name) {
    const QByteArray expected = readAll(QStringLiteral(KAV_EXPORT_EXPECTED_DIR "/") + name);
    if (!expected.isEmpty() && expected == actual) return ::testing::AssertionSuccess();
    QDir().mkpath(QStringLiteral(KAV_EXPORT_ACTUAL_DIR));
    QFile out(QStringLiteral(KAV_EXPORT_ACTUAL_DIR "/") + name);
    if (out.open(QIODevice::WriteOnly)) out.write(actual);
    return ::testing::AssertionFailure()
           << name.toStdString() << " differs from the expected file; actual bytes left in "
           << KAV_EXPORT_ACTUAL_DIR;
}

}  // namespace kav::exporting::test
