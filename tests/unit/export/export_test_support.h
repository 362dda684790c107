#pragma once
// Helpers shared by the export tests: pinned locales, fixes made from positions, file checks.

#include <cstdint>
#include <ostream>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include "log/fix_types.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace kav::exporting::test {

// Sets the default locale for the lifetime of the object.
class ScopedLocale {
  public:
    explicit ScopedLocale(const QLocale& locale) : previous_(QLocale()) {
        QLocale::setDefault(locale);
    }
    ~ScopedLocale() { QLocale::setDefault(previous_); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

  private:
    QLocale previous_;
};

QLocale pointLocale();  // English, United Kingdom: dd/MM/yyyy, decimal point
QLocale commaLocale();  // German, Germany: decimal comma, point as group separator

// A logged fix at a WGS84 position (height in metres) at a UTC moment, 36 km/h.
kav::log::TDataECEF fixAt(double latDeg, double lonDeg, double heightM, const QDateTime& utc);

QByteArray readAll(const QString& path);
// Names of every entry of a folder, hidden ones included.
QStringList entriesOf(const QString& folder);

// Compares with tests/data/export/<name>; a mismatch leaves the actual bytes in the build tree.
::testing::AssertionResult matchesExpectedFile(const QByteArray& actual, const QString& name);

}  // namespace kav::exporting::test
