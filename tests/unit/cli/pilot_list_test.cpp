// The pilots file: which logger belongs to whom, and the file stem scoring programs match.

#include "cli/pilot_list.h"

#include <gtest/gtest.h>

namespace kav::cli {
namespace {

struct LookupCase {
    const char* name;
    const char* file;
    const char* serial;  // as the logger reports it
    const char* stem;    // "" when the logger is not in the file
};

class PilotLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(PilotLookup, FindsThePilotAndNamesTheFiles) {
    QString error;
    const auto list = PilotList::parse(QString::fromUtf8(GetParam().file), &error);
    ASSERT_TRUE(list) << error.toStdString();
    const Pilot* pilot = list->find(QString::fromUtf8(GetParam().serial));
    const QString stem = pilot ? pilotFileStem(*pilot) : QString();
    EXPECT_EQ(stem, QString::fromUtf8(GetParam().stem));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PilotLookup,
    ::testing::Values(
        LookupCase{"plain", "GT730-0001,12,Anna Berg\r\n", "GT730-0001", "Anna_Berg.12"},
        LookupCase{"header_bom_comment_blank",
                   "\xEF\xBB\xBFserial,id,name\n# task 3\n\nGT730-0002, 7 , Jo\n", "gt730-0002",
                   "Jo.7"},
        LookupCase{"quoted_comma_and_quote", "X1,\"3\",\"Smith, \"\"Bo\"\"\"\n", "X1",
                   "Smith___Bo_.3"},
        LookupCase{"long_serial_matches_by_its_reported_start", "GT730-0123456789XYZ,5,Lia\n",
                   "GT730-01234567", "Lia.5"},
        LookupCase{"path_characters_never_reach_the_name", "S1,../9,a/b:c\n", "S1", "a_b_c.___9"},
        LookupCase{"missing_logger", "S1,1,A\n", "S2", ""},
        LookupCase{"empty_serial_never_matches", "S1,1,A\n", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A row per name style: the default keeps the name as written, id is the id alone, name_id
// folds the name to ASCII letters (the first word the first name, the rest the last name).
TEST(PilotList, EachNameStyleGivesTheStemScoringProgramsImport) {
    const struct {
        const char* name;
        const char* id;
        NameStyle style;
        const char* stem;
    } rows[] = {{"Zoë Çelik-Ünal", "17", NameStyle::NameDotId, "Zoë_Çelik-Ünal.17"},
                {"Zoë Çelik-Ünal", "17", NameStyle::Id, "17"},
                {"Zoë Çelik-Ünal", "17", NameStyle::NameId, "Zoe_CelikUnal_17"},
                {"Jean-Pierre de la Tour", "42", NameStyle::NameId, "JeanPierre_delaTour_42"},
                {"Łukasz  O'Brien-Øster", "", NameStyle::NameId, "Lukasz_OBrienOster"},
                {"Straße 9", "a/b", NameStyle::NameId, "Strasse_a_b"},
                {"", "9", NameStyle::NameId, "9"},
                {"Bo", "", NameStyle::Id, "Bo"}};
    for (const auto& row : rows) {
        const Pilot pilot{QStringLiteral("S1"), QString::fromUtf8(row.id),
                          QString::fromUtf8(row.name)};
        EXPECT_EQ(pilotFileStem(pilot, row.style), QString::fromUtf8(row.stem)) << row.name;
    }
    EXPECT_EQ(nameStyleFrom(QStringLiteral("name_id")), NameStyle::NameId);
    EXPECT_FALSE(nameStyleFrom(QStringLiteral("first_last")));
}

TEST(PilotList, MalformedLinesAreNamed) {
    for (const char* bad : {"S1,1\n", "S1,\"1,A\n", ",1,A\n"}) {
        QString error;
        EXPECT_FALSE(PilotList::parse(QString::fromLatin1(bad), &error)) << bad;
        EXPECT_TRUE(error.startsWith(QStringLiteral("line 1"))) << error.toStdString();
    }
}

}  // namespace
}  // namespace kav::cli
