// Names that never replace a file, and the default track file names.

#include <gtest/gtest.h>

#include <utility>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "export/unique_name.h"
#include "log/gps_time.h"
#include "log/raw_log_file.h"

namespace kav::exporting {
namespace {

void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

struct NameCase {
    const char* wanted;
    std::vector<const char*> existing;
    const char* expected;
};

class UniqueNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(UniqueNameTest, PicksTheFirstFreeName) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("a.b")));
    for (const char* name : GetParam().existing) touch(dir.filePath(QString::fromLatin1(name)));
    EXPECT_EQ(uniqueFileName(dir.filePath(QString::fromLatin1(GetParam().wanted))),
              dir.filePath(QString::fromLatin1(GetParam().expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Names, UniqueNameTest,
    ::testing::Values(NameCase{"track.kml", {}, "track.kml"},
                      NameCase{"track.kml", {"track.kml"}, "track_1.kml"},
                      NameCase{"track.kml", {"track.kml", "track_1.kml"}, "track_2.kml"},
                      NameCase{"track.kml", {"track.kml", "track_2.kml"}, "track_1.kml"},
                      NameCase{"track.kml", {"track.gac"}, "track.kml"},
                      NameCase{"track", {"track"}, "track_1"},
                      NameCase{"a.b/track", {"a.b/track"}, "a.b/track_1"},
                      NameCase{"my.flight.gpx", {"my.flight.gpx"}, "my.flight_1.gpx"},
                      NameCase{".gac", {".gac"}, "_1.gac"}));

// A raw log and its side file are one name; a name another program takes between the check
// and the write (meanwhile) moves the save on to the next free one.
TEST(UniqueName, RawLogsTakeTheFirstNameFreeForBothFiles) {
    const struct {
        std::vector<const char*> existing, meanwhile;
        const char* expected;
    } cases[] = {{{"m.bin.ini"}, {}, "m_1.bin"},
                 {{}, {"m.bin"}, "m_1.bin"},
                 {{}, {"m.bin.ini"}, "m_1.bin"},
                 {{"m.bin", "m_1.bin.ini"}, {"m_2.bin"}, "m_3.bin"}};
    for (const auto& c : cases) {
        QTemporaryDir dir;
        for (const char* name : c.existing) touch(dir.filePath(name));
        std::vector<const char*> meanwhile = c.meanwhile;
        kav::log::RawLogResult result;
        const QString path = writeUnderUniqueName(dir.filePath("m.bin"), {".ini"}, [&](auto& name) {
            for (const char* taken : std::exchange(meanwhile, {})) touch(dir.filePath(taken));
            result = kav::log::saveRawLog(name, "memory", {});
            return result.nameTaken;
        });
        EXPECT_TRUE(result.ok()) << result.error.toStdString();
        EXPECT_EQ(path, dir.filePath(c.expected));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(),
                  qsizetype(c.existing.size() + c.meanwhile.size() + 2));
    }
}

TEST(UniqueName, CountsPastAnyFixedLimit) {
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("t.gac")));
    for (int i = 1; i <= 300; ++i) touch(dir.filePath(QStringLiteral("t_%1.gac").arg(i)));
    EXPECT_EQ(uniqueFileName(dir.filePath(QStringLiteral("t.gac"))),
              dir.filePath(QStringLiteral("t_301.gac")));
}

TEST(UniqueName, ADanglingLinkCountsAsTaken) {
    QTemporaryDir dir;
    ASSERT_TRUE(
        QFile::link(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("t.gpx"))));
    EXPECT_EQ(uniqueFileName(dir.filePath(QStringLiteral("t.gpx"))),
              dir.filePath(QStringLiteral("t_1.gpx")));
}

TEST(DefaultTrackName, SerialAndUtcStart) {
    const kav::log::DateTime start =
        kav::log::fromQDateTime(QDateTime(QDate(2022, 5, 9), QTime(8, 59, 52), Qt::UTC));
    EXPECT_EQ(defaultTrackFileName(QStringLiteral("GT730-01234567"), start, TrackFormat::Gac),
              QStringLiteral("GT730-01234567_2022-05-09_085952.gac"));
    EXPECT_EQ(defaultTrackFileName(QString(), start, TrackFormat::Kml),
              QStringLiteral("log_2022-05-09_085952.kml"));
    EXPECT_EQ(defaultTrackFileName(QStringLiteral("A/B ..\\x"), start, TrackFormat::Gpx),
              QStringLiteral("A_B____x_2022-05-09_085952.gpx"));
}

}  // namespace
}  // namespace kav::exporting
