// The widget-free steps of the Download flow.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "export/export_flow.h"

using namespace kav::exporting;

namespace {

struct DateCase {
    QDate date;
    const char* format;
    const char* dateToday;
    const char* fileName;
};

TEST(ExportFlowTest, DateTodayAndFileDateName) {
    const DateCase cases[] = {
        {{2019, 5, 19}, "dd/MM/yyyy", "190519", "190519"},
        {{2026, 12, 9}, "dd/MM/yyyy", "091226", "091226"},
        {{2019, 5, 19}, "dd/MM/yy", "1905", "1905"},
        // Only "/" is removed: a "." stays in DateToday, the file name falls back to ddMMyy.
        {{2019, 5, 19}, "dd.MM.yyyy", "19.020", "190519"},
        {{2019, 5, 19}, "yyyy-MM-dd", "20195-", "190519"},
        {{2019, 5, 19}, "M/d/yy", "5191", "5191"},
    };
    for (const DateCase& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(DateToday(c.date, c.format), QString(c.dateToday));
        EXPECT_EQ(fileDateName(c.date, c.format), QString(c.fileName));
    }
}

TEST(ExportFlowTest, SafeFileNameStaysInsideTheFolder) {
    const struct {
        const char* entry;
        const char* safe;
    } cases[] = {
        {"F-042 PILOT", "F-042 PILOT"},
        {" Anne-Marie  O'Neil ", " Anne-Marie  O'Neil "},
        {"../../x", "_.._x"},
        {"a/b", "a_b"},
        {"c:\\evil", "c__evil"},
        {"/etc/passwd", "_etc_passwd"},
        {"x<y>|?*\"", "x_y_____"},
        {"tab\there\r", "tab_here_"},
        {".hidden", "hidden"},
        {"..", "DATE"},
        {"", "DATE"},
        {"   ", "DATE"},
        {"...  ", "DATE"},
    };
    const QString folder = QStringLiteral("/data/out");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        const QString safe = safeFileName(QString::fromUtf8(c.entry), QStringLiteral("DATE"));
        EXPECT_EQ(safe, QString::fromUtf8(c.safe));
        const QFileInfo placed(QDir::cleanPath(pathInFolder(folder, safe)));
        EXPECT_EQ(placed.absolutePath(), folder);
        EXPECT_EQ(placed.fileName(), safe);
    }
}

TEST(ExportFlowTest, NameExtension) {
    const struct {
        const char* path;
        const char* extension;
    } cases[] = {
        {"/d/track.kml", ".kml"},
        {"/d/TRACK.GAC", ".GAC"},
        {"/d.dir/name", ""},
        {"/d/name", ""},
        {"/d/name.", "."},
        {"/d/a.b.gpx", ".gpx"},
        {"/d/Mr. Smith", ". Smith"},
        {"/d/.hidden", ".hidden"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(nameExtension(c.path), QString(c.extension));
    }
}

TEST(ExportFlowTest, CompleteExtensionFromFilterIndex) {
    const char* const expected[] = {"/d/name",     "/d/name.gac", "/d/name.kml",
                                    "/d/name.gpx", "/d/name.igc", "/d/name"};
    for (int index = 0; index < 6; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(completeExtension("/d/name", index), QString(expected[index]));
        // A typed extension is kept, whatever the filter.
        EXPECT_EQ(completeExtension("/d/name.txt", index), QString("/d/name.txt"));
        EXPECT_EQ(completeExtension("/d/TRACK.GAC", index), QString("/d/TRACK.GAC"));
    }
    EXPECT_EQ(completeExtension("/d/name", -1), QString("/d/name"));
}

TEST(ExportFlowTest, WriterByExtensionIgnoringCase) {
    const struct {
        const char* path;
        std::optional<TrackFormat> format;
    } cases[] = {
        {"/d/a.gac", TrackFormat::Gac}, {"/d/a.GAC", TrackFormat::Gac},
        {"/d/a.Kml", TrackFormat::Kml}, {"/d/a.GPX", TrackFormat::Gpx},
        {"/d/a.txt", std::nullopt},     {"/d/a", std::nullopt},
        {"/d/gac", std::nullopt},       {"/d/a.gac.bak", std::nullopt},
        {"/d/a.", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(writerFor(c.path), c.format);
    }
}

TEST(ExportFlowTest, MessagesAreExact) {
    EXPECT_EQ(unknownExtensionMessage(""), QString("Extension  unknown "));
    EXPECT_EQ(unknownExtensionMessage(".txt"), QString("Extension .txt unknown "));
    EXPECT_EQ(missingStartListMessage("/d/BlankListCompetitor.txt"),
              QString("File /d/BlankListCompetitor.txt not find"));
}

TEST(ExportFlowTest, MissingListProposalIsOneFileInTheFolder) {
    const QDate day(2019, 5, 19);
    EXPECT_EQ(missingListProposal("/data", day, "dd/MM/yyyy"), QString("/data/19_05_2019FR"));
    EXPECT_EQ(missingListProposal("/data/", day, "dd.MM.yy"), QString("/data/19.05.19FR"));
}

TEST(ExportFlowTest, OutputDirectory) {
    QTemporaryDir root;
    const QString data = root.filePath("data");
    QDir().mkpath(data);
    QFile file(root.filePath("plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_EQ(outputDirectory(data, "/prog"), data);
    EXPECT_EQ(outputDirectory("", "/prog"), QString("/prog"));
    EXPECT_EQ(outputDirectory(root.filePath("missing"), "/prog"), QString("/prog"));
    EXPECT_EQ(outputDirectory(root.filePath("plain"), "/prog"), QString("/prog"));
}

TEST(ExportFlowTest, StartListEntriesAreLinesUnchanged) {
    const struct {
        QByteArray bytes;
        QStringList entries;
    } cases[] = {
        {"", {}},
        {"\r\n", {""}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\r\n\r\n", {"a", ""}},
        {" F-042 PILOT ;12\r\n", {" F-042 PILOT ;12"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        EXPECT_EQ(startListEntries(c.bytes), c.entries);
    }
}

TEST(ExportFlowTest, ReadStartList) {
    QTemporaryDir root;
    const QString path = root.filePath("list.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("ANNE\r\nBRUNO\r\nF-042 PILOT\r\n");
    file.close();
    const StartList read = readStartList(path);
    EXPECT_TRUE(read.error.isEmpty());
    EXPECT_EQ(read.entries, QStringList({"ANNE", "BRUNO", "F-042 PILOT"}));

    const StartList missing = readStartList(root.filePath("none.txt"));
    EXPECT_TRUE(missing.entries.isEmpty());
    EXPECT_TRUE(missing.error.contains(root.filePath("none.txt"))) << missing.error.toStdString();
}

}  // namespace
