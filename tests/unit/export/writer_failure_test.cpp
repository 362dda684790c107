#include <gtest/gtest.h>

#include <functional>

#include <QFile>
#include <QTemporaryDir>

#include "export/gac_writer.h"
#include "export/gpx_writer.h"
#include "export/igc_writer.h"
#include "export/kml_writer.h"
#include "export_test_support.h"
#include "sample_tracks.h"

namespace kav::exporting {
namespace {

using Writer = std::function<WriteResult(const QString& path)>;

struct WriterCase {
    const char* name;
    Writer write;
};

WriteResult gac(const QString& path) {
    const kav::log::LogData log = {
        test::fixAt(45.5, 6.1, 500, QDateTime(QDate(2019, 5, 19), QTime(10, 0), Qt::UTC))};
    return writeGacFile(path, fillFileInfo("0.1.5 ", QDate(2019, 5, 19)), "", "", log, 0, 0);
}
WriteResult igc(const QString& path) {
    return writeIgcFile(path, IgcHeader{}, kav::log::ConvertedTrack{});
}
WriteResult kml(const QString& path) {
    return writeKmlFile(path, test::sampleTrack());
}
WriteResult gpx(const QString& path) {
    return writeGpxFile(path, test::sampleTrack(), fillFileInfo("0.1.5 ", QDate(2019, 5, 19)),
                        test::sampleExportMoment());
}

class WriterFailure : public ::testing::TestWithParam<WriterCase> {
  protected:
    QTemporaryDir dir;
};

TEST_P(WriterFailure, AFolderThatCannotBeWrittenGivesAnErrorAndNoFile) {
    const QString target = dir.filePath("no_such_folder/track");
    const WriteResult result = GetParam().write(target);
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_TRUE(test::entriesOf(dir.path()).isEmpty());
}

TEST_P(WriterFailure, AnExistingFileIsNotReplaced) {
    const QString target = dir.filePath("track");
    QFile existing(target);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("earlier flight");
    existing.close();
    EXPECT_FALSE(GetParam().write(target).ok());
    EXPECT_EQ(test::readAll(target), "earlier flight");
    EXPECT_EQ(test::entriesOf(dir.path()), QStringList{"track"});
}

INSTANTIATE_TEST_SUITE_P(AllFormats, WriterFailure,
                         ::testing::Values(WriterCase{"Gac", gac}, WriterCase{"Kml", kml},
                                           WriterCase{"Gpx", gpx}, WriterCase{"Igc", igc}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kav::exporting
