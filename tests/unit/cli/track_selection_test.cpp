// The --tracks list: numbers and ranges from 1, and the choice among the tracks present.

#include <gtest/gtest.h>

#include "cli/track_selection.h"

namespace kav::cli {
namespace {

struct ListCase {
    const char* text;
    std::vector<int> expected;  // empty: refused
};

class TrackListTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(TrackListTest, ParsesOrRefuses) {
    QString error;
    const auto numbers = parseTrackList(QString::fromLatin1(GetParam().text), &error);
    if (GetParam().expected.empty()) {
        EXPECT_FALSE(numbers) << GetParam().text;
        EXPECT_FALSE(error.isEmpty());
    } else {
        ASSERT_TRUE(numbers) << error.toStdString();
        EXPECT_EQ(*numbers, GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Lists, TrackListTest,
                         ::testing::Values(ListCase{"1", {1}}, ListCase{"1,3-5", {1, 3, 4, 5}},
                                           ListCase{"5,1,3-4,4", {1, 3, 4, 5}},
                                           ListCase{" 2 , 7 ", {2, 7}}, ListCase{"3-3", {3}},
                                           ListCase{"", {}}, ListCase{"0", {}}, ListCase{"5-3", {}},
                                           ListCase{"1-", {}}, ListCase{"-2", {}},
                                           ListCase{"1-2-3", {}}, ListCase{"a", {}},
                                           ListCase{"1,,2", {}}, ListCase{"+1", {}},
                                           ListCase{"1 2", {}}, ListCase{"1-99999999999", {}}));

TEST(ChooseTracks, EmptyListMeansEveryTrackAndMissingNumbersAreReported) {
    const TrackChoice all = chooseTracks({}, 3);
    EXPECT_EQ(all.indices, (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_TRUE(all.missing.empty());

    const TrackChoice some = chooseTracks({1, 3, 4, 9}, 3);
    EXPECT_EQ(some.indices, (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(some.missing, (std::vector<int>{4, 9}));

    EXPECT_TRUE(chooseTracks({}, 0).indices.empty());
}

TEST(ChooseTracks, MissingTracksAreNamedInOneLine) {
    EXPECT_EQ(missingTracksText({9}, 1),
              QStringLiteral("there is no track 9 (the log has 1 track)"));
    EXPECT_EQ(missingTracksText({2, 3, 5, 7, 8, 9}, 4),
              QStringLiteral("there are no tracks 2-3, 5, 7-9 (the log has 4 tracks)"));
}

}  // namespace
}  // namespace kav::cli
