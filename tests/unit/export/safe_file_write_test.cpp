#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "../../common/recording_store.h"
#include "export/file_batch.h"
#include "export/safe_file_write.h"
#include "export/unique_name.h"
#include "export_test_support.h"
#include "log/raw_log_file.h"

#ifdef Q_OS_UNIX
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#endif

namespace kav::exporting {
namespace {

class SafeFileWrite : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

TEST_F(SafeFileWrite, WritesTheBytesAndLeavesNoTemporaryFile) {
    const QByteArray content("line 1\r\nline 2\r\n\xE9\x00z", 17);
    const WriteResult result = writeNewFile(path("track.gac"), content);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(test::readAll(path("track.gac")), content);
    EXPECT_EQ(test::entriesOf(dir.path()), QStringList{"track.gac"});
}

TEST_F(SafeFileWrite, NeverReplacesAnExistingFile) {
    for (const QByteArray& old : {QByteArray("pilot's only copy"), QByteArray()}) {
        QFile existing(path("flight.kml"));
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly | QIODevice::Truncate));
        existing.write(old);
        existing.close();
        const WriteResult result = writeNewFile(path("flight.kml"), "new");
        EXPECT_FALSE(result.ok());
        EXPECT_TRUE(result.error.contains("flight.kml")) << result.error.toStdString();
        EXPECT_EQ(test::readAll(path("flight.kml")), old);
        EXPECT_EQ(test::entriesOf(dir.path()), QStringList{"flight.kml"});
    }
}

TEST_F(SafeFileWrite, AFolderThatCannotBeWrittenGivesAnErrorAndNoFile) {
    QFile notAFolder(path("plain_file"));
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    notAFolder.close();
    for (const QString& target : {path("missing/track.gpx"), path("plain_file/track.gpx")}) {
        const WriteResult result = writeNewFile(target, "data");
        EXPECT_FALSE(result.ok()) << target.toStdString();
        EXPECT_FALSE(result.error.isEmpty());
        EXPECT_FALSE(QFile::exists(target));
    }
    EXPECT_EQ(test::entriesOf(dir.path()), QStringList{"plain_file"});
}

TEST_F(SafeFileWrite, AStaleTemporaryFileIsLeftAloneAndAnotherNameIsUsed) {
    const QString stale =
        path(QStringLiteral(".a.gpx.%1-0.part").arg(QCoreApplication::applicationPid()));
    QFile staleFile(stale);
    ASSERT_TRUE(staleFile.open(QIODevice::WriteOnly));
    staleFile.write("stale");
    staleFile.close();
    const WriteResult result = writeNewFile(path("a.gpx"), "fresh");
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(test::readAll(path("a.gpx")), "fresh");
    EXPECT_EQ(test::readAll(stale), "stale");
    EXPECT_EQ(test::entriesOf(dir.path()).size(), 2);
}

#ifdef Q_OS_UNIX
// A disk that fills up part-way (here a file size limit, which stops a write the same way):
// the error names the file and gives the system's reason, and no file is left.
TEST_F(SafeFileWrite, AWriteCutShortGivesTheSystemsReason) {
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QByteArray big(100000, 'x');
    const WriteResult track = writeNewFile(path("big.gpx"), big);
    const WriteResult buffered = writeNewFile(path("big.igc"), QByteArray(10000, 'x'));
    const kav::log::RawLogResult raw = kav::log::saveRawLog(path("big.bin"), big, {});
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    const QString reason = QString::fromLocal8Bit(std::strerror(EFBIG));
    for (const QString& error : {track.error, buffered.error, raw.error}) {
        EXPECT_TRUE(error.contains(reason)) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("big."))) << error.toStdString();
    }
    EXPECT_TRUE(test::entriesOf(dir.path()).isEmpty());
}
#endif

}  // namespace
}  // namespace kav::exporting

namespace kav::exporting {
namespace {

// A batch: every file is written whole before one flush of them all, then each takes its name
// (the next free one when another program took it meanwhile, never replacing that file), then
// each folder is synced once. A failed flush fails every file and leaves nothing behind.
TEST(FileBatch, FlushesOnceBeforeAnyNameAndSyncsEachFolderOnce) {
    const struct {
        const char* name;
        QStringList meanwhile;
        bool failFlush;
        const char* calls;
        QStringList left;  // in folder a
    } rows[] = {
        {"plain", {}, false, "wwwwfrrrrss", {"t.igc", "t_1.igc", "u.igc"}},
        {"taken_meanwhile",
         {"t_1.igc"},
         false,
         "wwwwfrrrrrss",
         {"t.igc", "t_1.igc", "t_2.igc", "u.igc"}},
        {"flush_fails", {}, true, "wwwwfxxxx", {}},
    };
    for (const auto& row : rows) {
        QTemporaryDir dir;
        ASSERT_TRUE(QDir(dir.path()).mkpath("a") && QDir(dir.path()).mkpath("b"));
        QStringList calls;
        kav::testing::RecordingStore store(calls);
        store.takeMeanwhile = row.meanwhile;
        store.failFlush = row.failFlush;
        FileBatch batch(store);
        const QString a = dir.filePath("a/t.igc");
        std::vector<std::size_t> files;
        for (const char* content : {"one", "two"})
            files.push_back(
                batch.addUnderFreeName(a, [content](const QString&) { return content; }));
        files.push_back(batch.add(dir.filePath("a/u.igc"), "three"));
        files.push_back(batch.add(dir.filePath("b/t.igc"), "four"));
        batch.commit();
        EXPECT_EQ(kav::testing::callLetters(calls), QString::fromLatin1(row.calls)) << row.name;
        QStringList left = test::entriesOf(dir.filePath("a"));
        left.sort();
        EXPECT_EQ(left, row.left) << row.name;
        for (std::size_t n : files) {
            EXPECT_EQ(batch.result(n).ok(), !row.failFlush) << row.name;
            const QString error = batch.result(n).error;
            EXPECT_TRUE(!row.failFlush || error.contains(QFileInfo(batch.path(n)).fileName()));
        }
        if (row.failFlush) continue;
        EXPECT_EQ(test::readAll(batch.path(files[1])), "two") << row.name;
        EXPECT_EQ(test::readAll(dir.filePath("b/t.igc")), "four") << row.name;
        const QByteArray t1 = row.meanwhile.isEmpty() ? "two" : "another program's";
        EXPECT_EQ(test::readAll(dir.filePath("a/t_1.igc")), t1) << row.name;
    }
}

}  // namespace
}  // namespace kav::exporting

namespace kav::exporting {
namespace {

// A raw log and its side file take one name: a side file's name taken meanwhile puts the raw
// file back and moves both on to the next free name; the other program's file is kept.
TEST(FileBatch, ARawLogAndItsSideFileMoveOnTogether) {
    const struct {
        QStringList meanwhile;
        QStringList left;
    } rows[] = {{{}, {"m.bin", "m.bin.ini"}},
                {{"m.bin.ini"}, {"m.bin.ini", "m_1.bin", "m_1.bin.ini"}},
                {{"m.bin"}, {"m.bin", "m_1.bin", "m_1.bin.ini"}}};
    for (const auto& row : rows) {
        QTemporaryDir dir;
        QStringList calls;
        kav::testing::RecordingStore store(calls);
        store.takeMeanwhile = row.meanwhile;
        FileBatch batch(store);
        const std::size_t n = addRawLog(batch, dir.filePath("m.bin"), "memory", {});
        batch.commit();
        ASSERT_TRUE(batch.result(n).ok()) << batch.result(n).error.toStdString();
        QStringList left = test::entriesOf(dir.path());
        left.sort();
        EXPECT_EQ(left, row.left) << row.meanwhile.join(u' ').toStdString();
        EXPECT_EQ(test::readAll(batch.path(n)), "memory");
        EXPECT_TRUE(test::readAll(batch.path(n) + ".ini").startsWith("serial="));
    }
}

}  // namespace
}  // namespace kav::exporting
