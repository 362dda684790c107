// The window program against an emulated logger on a pseudo-terminal, through the real serial
// stack: the logger is listed like a plugged-in port, Connect reads the whole memory, and
// Download saves the marked track exactly as the shared export path writes it.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "../../common/test_files.h"
#include "app/configuration_dialog.h"
#include "app/main_window.h"
#include "browse/track_table.h"
#include "export/track_export.h"
#include "recording_sink.h"
#include "settings_fixture.h"
#include "sim/emulator.h"

using kav::app::TKAVSkyTraqV6;
using kav::app::WindowServices;
using kav::app::testing::RecordingSink;
using kav::app::testing::SettingsFixture;

class WindowE2eTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void connectDownloadAndSave();

  private:
    QTemporaryDir runtime_;
};

void WindowE2eTest::initTestCase() {
    // Announcements go to a folder of this test's own, so no other emulator is listed.
    QVERIFY(runtime_.isValid());
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
}

using kav::testing::readAll;

void WindowE2eTest::connectDownloadAndSave() {
    kav::sim::EmulatorOptions options;
    options.image = kav::sim::sampleImage();
    options.fast = true;
    kav::sim::Emulator emulator(options);
    QString error;
    QVERIFY2(emulator.start(&error), qPrintable(error));
    QVERIFY(!emulator.announcedName().isEmpty());

    // Settings: output to the data folder, no start list, GAC by default, auto-detection on.
    SettingsFixture settings;
    settings.writeBoth(SettingsFixture::lines(
        {settings.dataDir(), "-1", "False", "BlankListCompetitor.Text", "20", "600", "0", "True"}));
    RecordingSink sink;
    QTemporaryDir logbookDir;
    WindowServices services;
    services.logbookPath = logbookDir.filePath(QStringLiteral("logbook.sqlite"));
    services.messages = &sink;
    services.programDir = settings.programDir();
    services.userConfigDir = settings.userDir();
    services.watchPorts = false;
    TKAVSkyTraqV6 window(std::move(services));
    window.show();
    window.FormActivate();
    QCOMPARE(window.portChooserText(), emulator.announcedName());

    window.findChild<QPushButton*>("BtnConnect")->click();
    auto* shortList = window.findChild<QCheckBox*>("CbTimeFilter");
    QVERIFY(shortList);
    QTRY_VERIFY_WITH_TIMEOUT(shortList->isChecked(), 30000);
    QCOMPARE(window.collection().tracks().size(), std::size_t(4));
    QCOMPARE(window.findChild<QLabel*>("LbSerialNo")->text(), QStringLiteral("GT730-01234567"));
    QVERIFY(window.findChild<QPushButton*>("BtnDownload")->isEnabled());
    QVERIFY2(sink.count() == 0, qPrintable(sink.errors.join('|') + sink.infos.join('|')));

    const int marked = window.findChild<kav::browse::TrackTable*>()->markedTrack();
    QVERIFY(marked >= 0);
    window.findChild<QPushButton*>("BtnDownload")->click();
    const QStringList saved = QDir(settings.dataDir()).entryList({"*.gac"}, QDir::Files);
    QCOMPARE(saved.size(), 1);

    // The same track through the shared export path gives the same bytes.
    QTemporaryDir out;
    const QString expected = out.filePath("expected.gac");
    kav::exporting::TrackExport header;
    header.info = kav::exporting::fillFileInfo(window.SoftFirmware(), QDate::currentDate());
    // The logger's versions as the configuration dialog shows them: the firmware heads its
    // label ("1.4.20_Rev 2017/3/29"), the hardware is the kernel version.
    const auto shown = [&](const char* name) {
        return window.configuration().findChild<QLabel*>(name)->text();
    };
    header.Firmware = shown("LbFirmware").section(QStringLiteral("_Rev "), 0, 0);
    header.Hardware = shown("LbKernel");
    QVERIFY(!header.Firmware.isEmpty() && !header.Hardware.isEmpty());
    QVERIFY(kav::exporting::exportTrack(window.collection(), std::size_t(marked),
                                        kav::exporting::TrackFormat::Gac, header, expected)
                .ok());
    const QByteArray written = readAll(settings.dataDir() + '/' + saved.first());
    QVERIFY(written.count("\r\nB") > 100);
    QCOMPARE(written, readAll(expected));

    // A second click never replaces the first file.
    window.findChild<QPushButton*>("BtnDownload")->click();
    QCOMPARE(QDir(settings.dataDir()).entryList({"*.gac"}, QDir::Files).size(), 2);
}

QTEST_MAIN(WindowE2eTest)
#include "window_e2e_test.moc"
