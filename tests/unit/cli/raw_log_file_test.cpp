// Raw log files: saved as read, loaded sector by sector, bad files refused or bounded.

#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "log/raw_log_file.h"
#include "sim/emulator.h"

namespace kav::log {
namespace {

QByteArray sample() {
    return kav::sim::sampleImage();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

LogCollection decodeDirectly(const QByteArray& image) {
    LogCollection log;
    for (qsizetype at = 0; at + qsizetype(4096) <= image.size(); at += qsizetype(4096))
        log.SavePacket(
            std::span(reinterpret_cast<const uint8_t*>(image.constData() + at), std::size_t(4096)));
    return log;
}

TEST(RawLogFile, RoundTripGivesTheSameLogAndIdentity) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("memory.bin"));
    // The download this copy came from was cut: the logger had more sectors to send.
    const RawLogIdentity identity{QStringLiteral("GT730-0123"), QStringLiteral("1.4.20"),
                                  QStringLiteral("1.0.12"), 40};
    ASSERT_TRUE(saveRawLog(path, sample(), identity).ok());

    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), sample());

    LogCollection log;
    const RawLogResult loaded = loadRawLog(path, log);
    ASSERT_TRUE(loaded.ok()) << loaded.error.toStdString();
    EXPECT_EQ(loaded.sectors, sample().size() / 4096);
    EXPECT_EQ(loaded.tailBytes, 0);
    EXPECT_EQ(loaded.identity.serialNumber, identity.serialNumber);
    EXPECT_EQ(loaded.identity.firmware, identity.firmware);
    EXPECT_EQ(loaded.identity.hardware, identity.hardware);
    EXPECT_EQ(loaded.identity.sectorsExpected, 40);
    const LogCollection expected = decodeDirectly(sample());
    EXPECT_EQ(log.logData(), expected.logData());
    EXPECT_EQ(log.tracks().size(), expected.tracks().size());
    EXPECT_GE(log.tracks().size(), 4u);
}

TEST(RawLogFile, SavingNeverReplacesAFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("memory.bin"));
    writeFile(path, "precious");
    EXPECT_FALSE(saveRawLog(path, sample(), {}).ok());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("precious"));
    // A side file in the way leaves no raw file behind either.
    const QString other = dir.filePath(QStringLiteral("other.bin"));
    writeFile(rawLogIdentityPath(other), "x");
    EXPECT_FALSE(saveRawLog(other, sample(), {}).ok());
    EXPECT_FALSE(QFile::exists(other));
}

TEST(RawLogFile, TruncatedFileDecodesTheWholeSectorsAndReportsTheTail) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.bin"));
    const QByteArray image = sample();
    writeFile(path, image.left(2 * 4096 + 1000));
    LogCollection log;
    const RawLogResult loaded = loadRawLog(path, log);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded.sectors, 2);
    EXPECT_EQ(loaded.tailBytes, 1000);
    EXPECT_EQ(log.logData(), decodeDirectly(image.left(2 * 4096)).logData());
    EXPECT_TRUE(loaded.identity.serialNumber.isEmpty());  // no side file
}

struct BadFile {
    const char* name;
    qint64 size;  // -1: no file at all
    bool sparse;
};

class BadRawFileTest : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadRawFileTest, IsAClearError) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(GetParam().name));
    if (GetParam().size >= 0) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(GetParam().size));  // sparse: no disk space used
    }
    LogCollection log;
    const RawLogResult loaded = loadRawLog(path, log);
    EXPECT_FALSE(loaded.ok());
    EXPECT_TRUE(loaded.error.contains(path)) << loaded.error.toStdString();
    EXPECT_TRUE(log.logData().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadRawFileTest,
    ::testing::Values(BadFile{"missing.bin", -1, false}, BadFile{"empty.bin", 0, false},
                      BadFile{"huge.bin", qint64(1) << 30, true},
                      BadFile{"just-over.bin", kMaxRawLogSectors * 4096 + 1, true}));

TEST(RawLogFile, LargestAllowedFileIsReadInFull) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("max.bin"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(kMaxRawLogSectors * 4096));  // zero bytes decode to nothing
    f.close();
    LogCollection log;
    const RawLogResult loaded = loadRawLog(path, log);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded.sectors, kMaxRawLogSectors);
}

TEST(RawLogFile, RandomBytesGiveABoundedResult) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("noise.bin"));
    QByteArray noise(64 * 4096, Qt::Uninitialized);
    QRandomGenerator rng(12345);
    for (char& c : noise) c = char(rng.bounded(256));
    writeFile(path, noise);
    LogCollection log;
    const RawLogResult loaded = loadRawLog(path, log);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded.sectors, 64);
    EXPECT_LE(log.logData().size(),
              std::size_t(64 * 4096 / 8));  // at most one fix per compact record
    for (const Track& t : log.tracks()) EXPECT_LE(t.first, t.last);
}

TEST(RawLogFile, ASideFileWithJunkIsIgnored) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("memory.bin"));
    writeFile(path, sample());
    writeFile(rawLogIdentityPath(path), QByteArray(10000, 'x'));
    LogCollection log;
    const RawLogResult loaded = loadRawLog(path, log);
    ASSERT_TRUE(loaded.ok());
    EXPECT_TRUE(loaded.identity.serialNumber.isEmpty());
}

}  // namespace
}  // namespace kav::log
