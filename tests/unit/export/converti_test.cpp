#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

#include "export/converti.h"
#include "export_test_support.h"

namespace kav::exporting {
namespace {

using test::ScopedLocale;
constexpr double kPi = std::numbers::pi;

struct TextCase {
    const char* name;
    std::function<QString()> call;
    QString expected;
};

class ConvertiText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ConvertiText, GivesTheExactText) {
    const ScopedLocale pinned(test::pointLocale());
    EXPECT_EQ(GetParam().call(), GetParam().expected);
}

const QDateTime kMay19(QDate(2019, 5, 19), QTime(23, 59, 59), Qt::UTC);
const QString kDeg = QString(QChar(0x00B0));

INSTANTIATE_TEST_SUITE_P(
    AllForms, ConvertiText,
    ::testing::Values(
        TextCase{"LatHalfDegree", [] { return NumToLatVMU(45.5); }, "4530000N"},
        TextCase{"LatSouth", [] { return NumToLatVMU(-5.25); }, "0515000S"},
        TextCase{"LatZeroIsNorth", [] { return NumToLatVMU(0.0); }, "0000000N"},
        TextCase{"LatMinutesNotCarried", [] { return NumToLatVMU(45.9999999); }, "4560000N"},
        TextCase{"LatPole", [] { return NumToLatVMU(-90.0); }, "9000000S"},
        TextCase{"LongEast", [] { return NumToLongVMU(6.123456); }, "00607407E"},
        TextCase{"LongWestHalf", [] { return NumToLongVMU(-0.5); }, "00030000W"},
        TextCase{"LongNearAntimeridian", [] { return NumToLongVMU(-179.999); }, "17959940W"},
        TextCase{"HmsMidnight", [] { return SecToHms(0); }, "000000"},
        TextCase{"HmsLastSecond", [] { return SecToHms(86399); }, "235959"},
        TextCase{"HmsWholeDayWraps", [] { return SecToHms(86400); }, "000000"},
        TextCase{"HmsNextDay", [] { return SecToHms(90061); }, "010101"},
        TextCase{"HmsNegativeWrapsBack", [] { return SecToHms(-1); }, "235959"},
        TextCase{"Hms2Colons", [] { return SecToHms2(37230); }, "10:20:30"},
        TextCase{"Hms2WholeDayWraps", [] { return SecToHms2(86400); }, "00:00:00"},
        TextCase{"IsoDateAndSecondsApart", [] { return SecToIso8601(kMay19, 3661); },
                 "2019-05-19T01:01:01Z"},
        TextCase{"IsoNoZoneArithmetic",
                 [] {
                     return SecToIso8601(
                         QDateTime(QDate(2019, 5, 20), QTime(1, 0), Qt::OffsetFromUTC, 7200), 0);
                 },
                 "2019-05-20T00:00:00Z"},
        TextCase{"PointFirstComma", [] { return ConvertTextPoint("5,12345"); }, "5.12345"},
        TextCase{"PointOnlyFirstComma", [] { return ConvertTextPoint("1,2,3"); }, "1.2,3"},
        TextCase{"PointUnchanged", [] { return ConvertTextPoint("7.5"); }, "7.5"},
        TextCase{"PointEmpty", [] { return ConvertTextPoint(""); }, ""},
        TextCase{"LatLabelMinutes", [] { return LatToStr(45.25); }, "N45" + kDeg + " 15'"},
        TextCase{"LatLabelZeroMinutes", [] { return LatToStr(45.0); }, "N45" + kDeg + " 00'"},
        TextCase{"LatLabelSingleDigit", [] { return LatToStr(45.1); }, "N45" + kDeg + " 6'"},
        TextCase{"LatLabelSouth", [] { return LatToStr(-0.5); }, "S0" + kDeg + " 30'"},
        TextCase{"LongLabelWhole", [] { return LongToStr(5.0); }, "E5" + kDeg + " 00'"},
        TextCase{"LongLabelWest", [] { return LongToStr(-12.0); }, "W12" + kDeg + " 00'"},
        TextCase{"LongLabelMinutesOnly", [] { return LongToStr(5.75); }, "   45'"},
        TextCase{"LongLabelFractionKept", [] { return LongToStr(5.005); }, "E5.0" + kDeg + " 00'"},
        TextCase{"LongLabelTinyIsFixed", [] { return LongToStr(-0.00001); },
                 "W0.0" + kDeg + " 00'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConvertiLocale, LongitudeLabelUsesTheUsersDecimalSeparator) {
    const ScopedLocale pinned(test::commaLocale());
    EXPECT_EQ(LongToStr(5.005), "E5,0" + kDeg + " 00'");
    EXPECT_EQ(LongToStr(5.0), "E5" + kDeg + " 00'");
}

TEST(ConvertiTime, TimeToSecDropsMilliseconds) {
    const struct {
        QTime time;
        int32_t seconds;
    } cases[] = {{QTime(10, 20, 30, 999), 37230}, {QTime(0, 0), 0}, {QTime(23, 59, 59), 86399}};
    for (const auto& c : cases)
        EXPECT_EQ(TimeToSec(QDateTime(QDate(2019, 5, 19), c.time, Qt::UTC)), c.seconds)
            << c.time.toString().toStdString();
}

TEST(ConvertiAngles, ArcCosineIsClampedAndConversionsAreExact) {
    EXPECT_EQ(SuperArcCos(1.0000001), 0.0);
    EXPECT_DOUBLE_EQ(SuperArcCos(-1.5), kPi);
    EXPECT_DOUBLE_EQ(SuperArcCos(0.5), kPi / 3);
    EXPECT_DOUBLE_EQ(DegToRad(180.0), kPi);
    EXPECT_DOUBLE_EQ(RadToDeg(kPi / 2), 90.0);
    EXPECT_DOUBLE_EQ(RadToDeg(DegToRad(123.456)), 123.456);
}

struct CourseCase {
    const char* name;
    double lat1, long1, lat2, long2;  // degrees
    double expected;                  // radians
};

class ConvertiCourse : public ::testing::TestWithParam<CourseCase> {};

TEST_P(ConvertiCourse, InitialGreatCircleCourse) {
    const CourseCase& c = GetParam();
    EXPECT_NEAR(
        RadCoordToRte(DegToRad(c.lat1), DegToRad(c.long1), DegToRad(c.lat2), DegToRad(c.long2)),
        c.expected, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Directions, ConvertiCourse,
                         ::testing::Values(CourseCase{"SamePoint", 45, 6, 45, 6, 0},
                                           CourseCase{"EastOnEquator", 0, 0, 0, 1, kPi / 2},
                                           CourseCase{"WestOnEquator", 0, 0, 0, -1, 3 * kPi / 2},
                                           CourseCase{"South", 45, 6, 44, 6, kPi},
                                           CourseCase{"NorthIsZeroNotTwoPi", 45, 6, 46, 6, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConvertiCourse, FromNullIslandRoundsToSixDegrees) {
    EXPECT_EQ(std::nearbyint(RadToDeg(RadCoordToRte(0, 0, DegToRad(45), DegToRad(6)))), 6.0);
}

}  // namespace
}  // namespace kav::exporting
