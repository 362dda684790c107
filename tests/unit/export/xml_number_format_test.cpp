#include <gtest/gtest.h>

#include <limits>

#include "export/xml_number_format.h"
#include "export_test_support.h"

namespace kav::exporting {
namespace {

struct FixedCase {
    QLocale locale;
    double value;
    QString expected;
};

TEST(FixedFiveDecimals, AlwaysAsciiDigitsAndAPointWhateverTheLocale) {
    const FixedCase cases[] = {
        {test::pointLocale(), 6.123456, "6.12346"},
        {test::pointLocale(), -0.5, "-0.50000"},
        {test::pointLocale(), 0.0, "0.00000"},
        {test::pointLocale(), -179.999995, "-180.00000"},
        {test::commaLocale(), 45.25, "45.25000"},
        {test::commaLocale(), -70.25, "-70.25000"},
        {test::commaLocale(), 1234.5, "1234.50000"},  // no group separator
        {QLocale(QLocale::Arabic, QLocale::Egypt), -33.5, "-33.50000"},
        {QLocale(QLocale::Swedish, QLocale::Sweden), -33.5, "-33.50000"},
        {QLocale(QLocale::Persian, QLocale::Iran), 12.75, "12.75000"},
        {test::pointLocale(), 0.015625, "0.01563"},  // exact halves round away from zero
        {test::commaLocale(), -45.015625, "-45.01563"},
        {test::pointLocale(), 45.046875, "45.04688"},
        {test::pointLocale(), -0.0, "0.00000"},
        {test::pointLocale(), -0.000001, "-0.00000"},
        {test::pointLocale(), 1e20, "100000000000000000000.00000"},
        {test::pointLocale(), std::numeric_limits<double>::quiet_NaN(), "nan"},
    };
    for (const FixedCase& c : cases) {
        const test::ScopedLocale pinned(c.locale);
        EXPECT_EQ(fiveDecimals(c.value), c.expected)
            << c.locale.name().toStdString() << " " << c.value;
    }
}

TEST(AltitudeInMetres, UsesPoint303MetresRoundedHalfToEven) {
    const struct {
        int32_t units;
        int64_t metres;
    } cases[] = {
        {0, 0},
        {1000, 303},
        {2000, 606},
        {1241, 376},
        {-1000, -303},
        {500, 152},   // 151.5 -> 152
        {1500, 454},  // 454.5 -> 454
        {-500, -152},
        {-1500, -454},
        {2, 1},  // 0.606 -> 1
        {std::numeric_limits<int32_t>::max(), 650687545},
        {std::numeric_limits<int32_t>::min(), -650687545},
    };
    for (const auto& c : cases) EXPECT_EQ(altitudeInMetres(c.units), c.metres) << c.units;
}

}  // namespace
}  // namespace kav::exporting
