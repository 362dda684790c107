#include <gtest/gtest.h>

#include "export/file_info.h"
#include "export_test_support.h"

namespace kav::exporting {
namespace {

TEST(FileInfo, HoldsTheHeaderTextsForTheProgramVersion) {
    const test::ScopedLocale pinned(test::pointLocale());
    const TFileInfo info = fillFileInfo(QStringLiteral("0.1.5 "), QDate(2019, 5, 19));
    EXPECT_EQ(info.CodeFR, "AXCM");
    EXPECT_EQ(info.FRType, "Canmore,GT-730FL-S, KAV-GT730 0.1.5 , UTC=GPS-18");
    EXPECT_EQ(info.GPSName, "SKYTRAQ_VENUS6, 48");
    EXPECT_EQ(info.Structure, "I023639GSP4042TRT");
    EXPECT_EQ(info.SerialNo, "No_serial_number");
    EXPECT_EQ(info.DateToday, "190519");
}

TEST(FileInfo, DateTodayKeepsCharactersOneToFourAndSevenToEight) {
    const struct {
        QLocale locale;
        QString expected;
    } cases[] = {
        {test::pointLocale(), "311299"},                         // 31/12/1999 -> 31121999
        {QLocale(QLocale::German, QLocale::Germany), "31.199"},  // 31.12.99: only "/" is removed
    };
    for (const auto& c : cases) {
        const test::ScopedLocale pinned(c.locale);
        EXPECT_EQ(dateTodayText(QDate(1999, 12, 31)), c.expected) << c.locale.name().toStdString();
    }
}

}  // namespace
}  // namespace kav::exporting
