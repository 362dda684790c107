// The logbook file: a flight read again is kept once, failures leave the file as it was, an
// older schema is upgraded, and writers in several threads all get their rows in.

#include <gtest/gtest.h>

#include <thread>

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "../../common/test_files.h"
#include "log/gps_time.h"
#include "logbook/logbook.h"
#include "logbook/logbook_schema.h"
#include "logbook/logbook_totals.h"
#include "logbook/logged_flights.h"
#include "sim/emulator.h"

namespace kav::logbook {
namespace {

constexpr qsizetype kSector = 4096;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The first sectors of the sample day, as a download that read that far stores them.
kav::log::LogCollection sampleLog(int sectors) {
    const QByteArray image = kav::sim::sampleImage().left(sectors * kSector);
    kav::log::LogCollection log;
    for (qsizetype at = 0; at + kSector <= image.size(); at += kSector)
        log.SavePacket(
            std::span(reinterpret_cast<const uint8_t*>(image.constData() + at), kSector));
    return log;
}

int sampleSectors() {
    return int(kav::sim::sampleImage().size() / kSector);
}

struct Read {
    int sectors;  // 0: the whole memory
    QString serial;
    QString file;  // written for every flight read
};

struct TwiceCase {
    const char* name;
    Read first, second;
    int rowsPerFlight = 1;  // two loggers that hold the same fixes keep a row each
};

class LogbookTwice : public ::testing::TestWithParam<TwiceCase> {};

// However the same memory comes back, each of its flights is one row, with every file and
// the serial number once known.
TEST_P(LogbookTwice, GivesOneRowPerFlight) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("logbook.sqlite"));
    const auto record = [&](const Read& read) {
        const int sectors = read.sectors ? read.sectors : sampleSectors();
        const kav::log::LogCollection log = sampleLog(sectors);
        // A memory read part of the way: its last track's end was not read.
        std::optional<std::size_t> cut;
        if (sectors < sampleSectors()) cut = log.tracks().size() - 1;
        const WrittenFile all{read.file, {0, log.logData().size()}};
        auto flights = flightsToLog(log, read.serial, cut, std::span(&all, 1));
        LogbookError error;
        auto logbook = Logbook::open(path, &error);
        EXPECT_TRUE(logbook) << error.text.toStdString();
        const auto done = logbook ? recordInto(*logbook, std::move(flights), error) : std::nullopt;
        EXPECT_TRUE(done) << error.text.toStdString();
        return done.value_or(Recorded{});
    };
    const TwiceCase& c = GetParam();
    const Recorded first = record(c.first);
    const Recorded second = record(c.second);
    const auto whole = loggedFlights(sampleLog(sampleSectors()), {}, std::nullopt);
    ASSERT_GE(whole.size(), 2u);
    EXPECT_EQ(first.added + second.added, int(whole.size()) * c.rowsPerFlight);
    EXPECT_EQ(second.known, c.rowsPerFlight == 1 ? first.added : 0);

    LogbookError error;
    const auto rows = Logbook::open(path, &error)->flights(std::nullopt, error);
    ASSERT_TRUE(rows) << error.text.toStdString();
    ASSERT_EQ(rows->size(), whole.size() * std::size_t(c.rowsPerFlight));
    if (c.rowsPerFlight > 1) return;
    for (std::size_t k = 0; k < whole.size(); ++k) {
        const LoggedFlight& row = (*rows)[k];
        EXPECT_EQ(row.fingerprint, whole[k].fingerprint);
        EXPECT_EQ(row.takeoff, whole[k].takeoff);
        // Figures kept from the read that measured them, not taken from one that did not.
        EXPECT_EQ(row.score.points, whole[k].score.points) << k;
        EXPECT_EQ(row.stats.maxHeight, whole[k].stats.maxHeight) << k;
        EXPECT_EQ(row.serialNumber, c.second.serial.isEmpty() ? c.first.serial : c.second.serial);
        if (k > 0) {
            EXPECT_NE(row.fingerprint, (*rows)[k - 1].fingerprint);
        }
        QStringList files{c.second.file};
        if (k < std::size_t(first.added) && c.first.file != c.second.file)
            files.prepend(c.first.file);
        EXPECT_EQ(row.files, files) << k;
    }
}

const QString kSerial = QStringLiteral("GT730-01234567");
const QString kA = QStringLiteral("/flights/a.igc"), kB = QStringLiteral("/flights/b.igc");

INSTANTIATE_TEST_SUITE_P(
    Rows, LogbookTwice,
    ::testing::Values(TwiceCase{"same_memory", {0, kSerial, kA}, {0, kSerial, kA}},
                      TwiceCase{"saved_again_elsewhere", {0, kSerial, kA}, {0, kSerial, kB}},
                      TwiceCase{"more_flights_since", {4, kSerial, kA}, {0, kSerial, kB}},
                      TwiceCase{"raw_copy_without_side_file", {0, {}, kA}, {0, kSerial, kB}},
                      TwiceCase{"another_logger_same_fixes",
                                {0, kSerial, kA},
                                {0, QStringLiteral("GT730-76543210"), kB},
                                2}),
    [](const auto& info) { return std::string(info.param.name); });

LoggedFlight handMade(const QString& takeoff, int minutes, double km) {
    LoggedFlight flight;
    flight.takeoff = QDateTime::fromString(takeoff, Qt::ISODate);
    flight.landing = flight.takeoff.addSecs(minutes * 60);
    flight.fingerprint = takeoff + QString::number(km);
    flight.stats.durationSeconds = minutes * 60;
    flight.stats.maxHeight = 2100.5;
    flight.score.type = kav::flight::ScoreType::FaiTriangle;
    flight.score.km = km;
    flight.score.points = km * 1.4;
    flight.score.turnpoints.push_back(
        {7, {kav::log::fromQDateTime(flight.takeoff), 45.5, 6.25, 1800}});
    return flight;
}

// The totals of each year and the flights of one, read back with every field.
TEST(Logbook, YearsAddUp) {
    QTemporaryDir dir;
    const std::vector<LoggedFlight> flights{
        handMade(QStringLiteral("2023-12-31T23:30:00Z"), 45, 12.5),
        handMade(QStringLiteral("2024-01-01T10:00:00Z"), 90, 30.25),
        handMade(QStringLiteral("2024-06-01T10:00:00Z"), 30, 7),
    };
    LogbookError error;
    auto logbook = Logbook::open(dir.filePath(QStringLiteral("l.sqlite")), &error);
    ASSERT_TRUE(logbook && logbook->record(flights, error)) << error.text.toStdString();
    const auto of2024 = logbook->flights(2024, error);
    ASSERT_TRUE(of2024);
    ASSERT_EQ(of2024->size(), 2u);
    const LoggedFlight& back = of2024->front();
    EXPECT_EQ(back.score.type, kav::flight::ScoreType::FaiTriangle);
    EXPECT_DOUBLE_EQ(back.score.points, 30.25 * 1.4);
    EXPECT_DOUBLE_EQ(back.stats.maxHeight, 2100.5);
    ASSERT_EQ(back.score.turnpoints.size(), 1u);
    EXPECT_EQ(back.score.turnpoints[0].index, 7u);
    EXPECT_DOUBLE_EQ(back.score.turnpoints[0].fix.lat, 45.5);

    const auto years = yearTotals(*logbook->flights(std::nullopt, error));
    ASSERT_EQ(years.size(), 2u);
    EXPECT_EQ(years[0].year, 2023);
    EXPECT_EQ(years[1].flights, 2);
    EXPECT_DOUBLE_EQ(years[1].seconds, 120 * 60);
    EXPECT_DOUBLE_EQ(years[1].bestKm, 30.25);
}

// A logbook written before the score was kept opens upgraded, its flights still in it.
TEST(Logbook, OlderSchemaIsUpgraded) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.sqlite"));
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        ASSERT_EQ(upgradeSchema(db, 1).type(), QSqlError::NoError);
        QSqlQuery(db).exec(QStringLiteral(
            "INSERT INTO flights (fingerprint, takeoff, landing, duration_s, added) VALUES "
            "('f', '2021-07-01T12:00:00Z', '2021-07-01T13:00:00Z', 3600, '2021-07-01T14:00:00Z')"));
        QSqlQuery(db).exec(QStringLiteral("INSERT INTO flight_files VALUES (1, '/old.gac')"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old"));
    LogbookError error;
    auto logbook = Logbook::open(path, &error);
    ASSERT_TRUE(logbook) << error.text.toStdString();
    const auto rows = logbook->flights(std::nullopt, error);
    ASSERT_TRUE(rows && rows->size() == 1u) << error.text.toStdString();
    EXPECT_EQ(rows->front().files, QStringList{QStringLiteral("/old.gac")});
    EXPECT_EQ(rows->front().score.type, kav::flight::ScoreType::None);
    EXPECT_DOUBLE_EQ(rows->front().stats.durationSeconds, 3600);
    ASSERT_TRUE(logbook->record(std::vector{handMade(QStringLiteral("2021-07-02T10:00:00Z"), 5, 1)},
                                error));
}

struct FailureCase {
    const char* name;
    QByteArray contents;  // the file before; empty for none
    const char* sql;      // run on it first, if any
    LogbookError::Kind kind;
};

class LogbookFailure : public ::testing::TestWithParam<FailureCase> {};

// A file that is not our logbook is refused, said why, and left byte for byte as it was.
TEST_P(LogbookFailure, LeavesTheFileAsItWas) {
    const FailureCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("l.sqlite"));
    if (!c.contents.isEmpty()) writeFile(path, c.contents);
    if (c.sql) {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("setup"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(QString::fromLatin1(c.sql));
        db.close();
        db = {};
        QSqlDatabase::removeDatabase(QStringLiteral("setup"));
    }
    const QByteArray before = kav::testing::readAll(path);
    LogbookError error;
    EXPECT_FALSE(Logbook::open(path, &error));
    EXPECT_EQ(error.kind, c.kind) << error.text.toStdString();
    EXPECT_TRUE(error.text.contains(path)) << error.text.toStdString();
    EXPECT_EQ(kav::testing::readAll(path), before);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LogbookFailure,
    ::testing::Values(
        FailureCase{"not_sqlite", QByteArray(5000, 'x'), nullptr, LogbookError::Kind::Damaged},
        FailureCase{"damaged", QByteArray("SQLite format 3\0", 16) + QByteArray(2000, '\xff'),
                    nullptr, LogbookError::Kind::Damaged},
        FailureCase{
            "another_programs", {}, "CREATE TABLE notes (text)", LogbookError::Kind::Damaged},
        FailureCase{"newer", {}, "PRAGMA user_version = 99", LogbookError::Kind::Newer}),
    [](const auto& info) { return std::string(info.param.name); });

// Another program holding the file: the write gives up after the busy timeout, nothing half
// written, and succeeds once the file is free.
TEST(Logbook, LockedByAnotherProgram) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("l.sqlite"));
    LogbookError error;
    auto logbook = Logbook::open(path, &error, {.busyTimeoutMs = 200});
    ASSERT_TRUE(logbook);
    QSqlDatabase other =
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
    other.setDatabaseName(path);
    ASSERT_TRUE(other.open());
    ASSERT_TRUE(QSqlQuery(other).exec(QStringLiteral("BEGIN EXCLUSIVE")));
    const std::vector flights{handMade(QStringLiteral("2024-05-01T10:00:00Z"), 60, 20)};
    EXPECT_FALSE(logbook->record(flights, error));
    EXPECT_EQ(error.kind, LogbookError::Kind::Locked) << error.text.toStdString();
    QSqlQuery(other).exec(QStringLiteral("ROLLBACK"));
    other.close();
    other = {};
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    const auto done = logbook->record(flights, error);
    ASSERT_TRUE(done) << error.text.toStdString();
    EXPECT_EQ(done->added, 1);
}

// A station's threads write at once, each through its own connection: every row gets in.
TEST(Logbook, WritersInSeveralThreadsAllGetIn) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("l.sqlite"));
    constexpr int kThreads = 4, kWrites = 15;
    std::atomic<int> failures = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            LogbookError error;
            for (int w = 0; w < kWrites; ++w) {
                auto logbook = Logbook::open(path, &error);
                const auto at = QDateTime(QDate(2024, 1 + t, 1 + w), QTime(10, 0), Qt::UTC);
                const std::vector flights{handMade(at.toString(Qt::ISODate), 10, w)};
                if (!logbook || !logbook->record(flights, error)) ++failures;
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures, 0);
    LogbookError error;
    EXPECT_EQ(Logbook::open(path, &error)->flights(std::nullopt, error)->size(),
              std::size_t(kThreads * kWrites));
}

}  // namespace
}  // namespace kav::logbook
