// The main window: enabled states, the port chooser, connecting, removal, and the session's
// reports, with a logger answering over a fake port.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTextBrowser>
#include <QtTest>

#include "../../common/test_files.h"
#include "answering_logger.h"
#include "app/about_dialog.h"
#include "app/configuration_dialog.h"
#include "app/main_window.h"
#include "app/parameters_dialog.h"
#include "app/settings_files.h"
#include "app/transfer_setting.h"
#include "app/web_pages.h"
#include "browse/sector_strip.h"
#include "browse/track_table.h"
#include "common/fake_transport.h"
#include "kav/version.h"
#include "link/frame.h"
#include "link/port_list.h"
#include "recording_sink.h"
#include "session/download_session.h"
#include "settings_fixture.h"
#include "sim/emulator.h"

using namespace kav::app;
using kav::app::testing::AnsweringLogger;
using kav::app::testing::RecordingSink;
using kav::app::testing::SettingsFixture;

namespace {

const QByteArray kGetSoftware = QByteArray::fromHex(
    "a0a10002020002"
    "0d0a");
const QString kUnderscores = QStringLiteral("_______________");

// A window over a fake port, with the ports present under the test's control.
struct Harness {
    explicit Harness(QStringList present = {"ttyUSB0", "ttyUSB1"}, bool online = false)
        : ports(std::make_shared<QStringList>(std::move(present))) {
        auto transport = std::make_unique<kav::link::FakeTransport>();
        fake = transport.get();
        logger = std::make_unique<AnsweringLogger>(*fake);
        WindowServices services;
        services.transport = std::move(transport);
        services.messages = &sink;
        services.programDir = fixture.programDir();
        services.userConfigDir = fixture.userDir();
        services.portLister = [list = ports] { return *list; };
        services.online = [online] { return online; };
        services.openUrl = [this](const QUrl& url) { opened << url.toString(); };
        services.watchPorts = false;
        services.logbookPath = logbookDir.filePath("logbook.sqlite");
        window = std::make_unique<TKAVSkyTraqV6>(std::move(services));
    }
    ~Harness() { logger->answerFreely(); }
    template <typename W>
    W* child(const char* name) {
        return window->findChild<W*>(QString::fromLatin1(name));
    }
    QComboBox* chooser() { return child<QComboBox>("CBPortCom"); }
    // A menu item triggered or a button clicked, as a user does (nothing when disabled).
    void press(const char* name) {
        if (auto* action = child<QAction>(name))
            action->trigger();
        else
            QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton);
    }
    // A logger holding image (with the emulator's fault switches) answers Connect; returns
    // once its download has started, every sector still owed.
    bool loggerAnswers(const QByteArray& image, const QStringList& faults = {}) {
        if (!logger->plugIn(image, faults)) return false;
        press("BtnConnect");
        return logger->answerUntil([this] { return window->session().downloading(); });
    }
    // ... and is read to the end, the link free again.
    bool downloadFrom(const QByteArray& image, const QStringList& faults = {}) {
        return loggerAnswers(image, faults) && answerAll();
    }
    bool answerAll() {
        return logger->answerUntil(
            [this] { return !window->session().downloading() && !window->session().busy(); });
    }
    bool answerUntilSectorsRead(int count) {
        return logger->answerUntil([=, this] { return window->session().sectorsRead() >= count; });
    }
    // Whether a command reaches the open port (none does while a removed port is set).
    bool commandsSent() {
        if (!fake->isOpen()) fake->open(QStringLiteral("ttyUSB0"));
        fake->clearWrites();
        window->session().clearMemory();
        return !fake->writes().isEmpty();
    }
    bool enabled(const char* name) {
        if (auto* action = child<QAction>(name)) return action->isEnabled();
        return child<QWidget>(name)->isEnabled();
    }
    bool downloadSample() { return downloadFrom(kav::sim::sampleImage()); }
    QStringList items() {
        QStringList out;
        for (int i = 0; i < chooser()->count(); ++i) out << chooser()->itemText(i);
        return out;
    }

    SettingsFixture fixture;
    QTemporaryDir logbookDir;
    RecordingSink sink;
    std::shared_ptr<QStringList> ports;
    kav::link::FakeTransport* fake = nullptr;
    std::unique_ptr<AnsweringLogger> logger;
    QStringList opened;
    std::unique_ptr<TKAVSkyTraqV6> window;
};

// The sample day's first sectors: a logger with this many to read.
QByteArray sampleSectors(int count) {
    return kav::sim::sampleImage().left(count * 4096);
}

const QByteArray kEmptySector(4096, char(0xFF));

QByteArray settingsWith(const QString& autoDetect) {
    return SettingsFixture::lines({"/tmp", "-1", "False", "x", "20", "600", "1", autoDetect});
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void startStates();
    void startsWhenShown_data();
    void startsWhenShown();
    void layout();
    void portList_data();
    void portList();
    void autoDetectOffLeavesList();
    void autoDetectOffAtStart();
    void untickTwiceAddsTwice();
    void badSettingsStillStart_data();
    void badSettingsStillStart();
    void connectWithNothingChosen();
    void connectSendsVersionQuery();
    void openFailures_data();
    void openFailures();
    void removal();
    void connectAfterRemovalSends();
    void exitKeepsWindow();
    void closingEndsTheRun();
    void noAnswerKeepsTheTable();
    void repeatedNoticesShownOnce();
    void sendDuringDownload_data();
    void sendDuringDownload();
    void statusSurvivesMenuTips();
    void downloadEnabledForOneSectorLog();
    void clearMemoryAsksFirst_data();
    void clearMemoryAsksFirst();
    void escapePressesClearMemoryOnlyWhenEnabled();
    void aboutShowsVersion();
    void shortListSurvivesUnplugging();
    void helpAndSupport_data();
    void helpAndSupport();
    void grabWhenAsked();
};

void MainWindowTest::startStates() {
    Harness h;
    h.window->FormActivate();
    QCOMPARE(h.window->windowTitle(), QString("KAV SkyTraq V6"));
    QCOMPARE(h.sink.count(), 0);  // no settings yet: a quiet first start
    for (const char* on :
         {"BtnConnect", "btnClose", "Connect1", "Exit1", "Parameters1", "Help2", "About1"})
        QVERIFY2(h.enabled(on), on);
    for (const char* off :
         {"BtnDownload", "Download1", "BtnRAZGT730", "ClearMemory1", "Configure1"})
        QVERIFY2(!h.enabled(off), off);
    QVERIFY(h.child<QCheckBox>("CbTimeFilter")->isHidden());
    QCOMPARE(h.child<QLabel>("LbSerialNo")->text(), kUnderscores);
    QCOMPARE(h.window->RepDataGT(), defaultDataDir());

    // The first Save creates the settings in the user's folder; they apply at once.
    h.child<QLineEdit>("DirEdit")->setText(h.fixture.dataDir());
    h.child<QComboBox>("CbFilter")->setCurrentIndex(2);
    h.child<QComboBox>("CbSpeed")->setCurrentIndex(int(kav::session::TransferSpeed::Fastest));
    h.window->parameters().findChild<QAbstractButton*>("BtSend")->click();
    QCOMPARE(h.window->RepDataGT(), h.fixture.dataDir());
    QCOMPARE(h.window->defaultFormat(), 2);
    QCOMPARE(h.window->session().transferSpeed(), kav::session::TransferSpeed::Fastest);
    // The speed has a file of its own: Connexion.cfg keeps its eight lines for other programs.
    const QString connexion = h.fixture.userDir() + "/Connexion.cfg";
    QCOMPARE(kav::app::readTransferSpeed(connexion), kav::session::TransferSpeed::Fastest);
    QCOMPARE(kav::testing::readAll(connexion).count("\r\n"), 8);
}

// Start-up runs when the window is shown, activated or not (no window manager); Parameters
// opened first shows the saved settings.
void MainWindowTest::startsWhenShown_data() {
    QTest::addColumn<bool>("parametersFirst");
    QTest::newRow("shown, never activated") << false;
    QTest::newRow("Parameters first") << true;
}

void MainWindowTest::startsWhenShown() {
    QFETCH(bool, parametersFirst);
    Harness h({"ttyUSB0"});
    h.fixture.writeBoth(settingsWith("True"));
    if (parametersFirst) {
        QString shown;
        QTimer::singleShot(0, &h.window->parameters(), [&] {
            shown = h.child<QLineEdit>("DirEdit")->text();
            h.window->parameters().reject();
        });
        h.press("Parameters1");
        QCOMPARE(shown, QString("/tmp"));
    } else {
        // No window manager: the window is never told it became active.
        struct : QObject {
            bool eventFilter(QObject*, QEvent* event) override {
                return event->type() == QEvent::WindowActivate ||
                       event->type() == QEvent::ActivationChange;
            }
        } noActivation;
        h.window->installEventFilter(&noActivation);
        h.window->show();
        QTRY_COMPARE(h.items(), QStringList{"ttyUSB0"});
        h.window->removeEventFilter(&noActivation);
    }
    QCOMPARE(h.window->RepDataGT(), QString("/tmp"));
}

void MainWindowTest::layout() {
    Harness h;
    h.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
    const struct {
        const char* name;
        QString text;
        int left;
    } buttons[] = {{"BtnConnect", "Connect", 56},
                   {"BtnDownload", "Download", 216},
                   {"BtnRAZGT730", "Clear memory", 540},
                   {"btnClose", "&Close", 884}};
    for (const auto& b : buttons) {
        auto* button = h.child<QPushButton>(b.name);
        QCOMPARE(button->text(), b.text);
        QCOMPARE(button->geometry(), QRect(b.left, 14, 105, 25));
    }
    QCOMPARE(h.child<QWidget>("Panel1")->height(), 49);
    QVERIFY(h.child<QWidget>("Panel3")->width() >= 376);
    QCOMPARE(h.child<QWidget>("Panel4")->height(), 60);
    QCOMPARE(h.chooser()->width(), 97);
    QCOMPARE(h.child<QLabel>("Label1")->text(), QString("Port Com : "));
    QCOMPARE(h.child<QLabel>("Label2")->text(), QString("Serial #:"));
    // The longest serial number shows whole, inside the table's panel.
    auto* serial = h.child<QLabel>("LbSerialNo");
    serial->setText("GT730-01234567");
    h.child<QWidget>("Panel4")->layout()->activate();
    QVERIFY(serial->width() >= serial->sizeHint().width());
    QVERIFY(serial->geometry().right() < h.child<QWidget>("Panel4")->width());
    QTRY_COMPARE(h.window->centralWidget()->size(), QSize(1000, 550));

    // Made as small as it goes, the window keeps every button and the serial number whole.
    h.window->resize(300, 200);
    QTRY_VERIFY(h.window->width() < 1000);
    h.window->centralWidget()->layout()->activate();
    const QRect bar = h.child<QWidget>("Panel1")->rect();
    for (const auto& b : buttons)
        QVERIFY2(bar.contains(h.child<QPushButton>(b.name)->geometry()), b.name);
    QVERIFY(serial->width() >= serial->sizeHint().width());
}

void MainWindowTest::portList_data() {
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("connect");
    QTest::newRow("two ports") << QStringList{"ttyUSB0", "ttyUSB1"} << "ttyUSB1" << true;
    QTest::newRow("none") << QStringList{} << "Port Com" << false;
}

void MainWindowTest::portList() {
    QFETCH(QStringList, present);
    Harness h(present);
    h.window->FormActivate();
    QCOMPARE(h.items(), present);
    QTEST(h.window->portChooserText(), "chosen");
    QTEST(h.enabled("BtnConnect"), "connect");
}

void MainWindowTest::autoDetectOffLeavesList() {
    Harness h({"ttyUSB0"});
    h.window->FormActivate();
    h.child<QCheckBox>("CkbAutoDetect")->setChecked(false);
    const QStringList before = h.items();
    h.child<QLabel>("LbSerialNo")->setText("GT730-1234");
    *h.ports = {};
    h.window->InitPortCom();
    QCOMPARE(h.items(), before);
    QCOMPARE(h.child<QLabel>("LbSerialNo")->text(), kUnderscores);
    QVERIFY(h.enabled("BtnConnect"));
}

void MainWindowTest::autoDetectOffAtStart() {
    Harness h({"ttyUSB0"});
    h.fixture.writeBoth(settingsWith("False"));
    h.window->FormActivate();
    QCOMPARE(h.items(), kav::link::fixedPortNames());
    QCOMPARE(h.chooser()->currentIndex(), -1);
    QCOMPARE(h.window->portChooserText(), QString("Port Com"));
    QCOMPARE(h.window->defaultFormat(), 1);
    QCOMPARE(h.window->RepDataGT(), QString("/tmp"));
    QVERIFY(h.sink.count() == 0);
}

void MainWindowTest::untickTwiceAddsTwice() {
    Harness h({"ttyUSB0"});
    h.window->FormActivate();
    auto* box = h.child<QCheckBox>("CkbAutoDetect");
    box->setChecked(false);
    box->setChecked(true);
    box->setChecked(false);
    const QStringList fixed = kav::link::fixedPortNames();
    QCOMPARE(h.items(), QStringList{"ttyUSB0"} + fixed + fixed);
    QCOMPARE(h.window->portChooserText(), QString("ttyUSB0"));
}

void MainWindowTest::badSettingsStillStart_data() {
    QTest::addColumn<QByteArray>("connexion");
    QTest::addColumn<int>("line");
    QTest::newRow("empty") << QByteArray() << 2;
    QTest::newRow("garbage") << QByteArray("\xff\xfe\x00\x01\x80", 5) << 2;
    QTest::newRow("nav not integer") << SettingsFixture::lines({"/tmp", "x", "True", "y"}) << 2;
    QTest::newRow("format not integer")
        << SettingsFixture::lines({"/tmp", "0", "False", "y", "20", "600", "gac", "False"}) << 7;
    QTest::newRow("long line 2") << "/tmp\r\n" + QByteArray(100000, '9') + "\r\n" << 2;
}

void MainWindowTest::badSettingsStillStart() {
    QFETCH(QByteArray, connexion);
    Harness h({"ttyUSB0"});
    h.fixture.writeBoth(connexion);
    h.child<QLabel>("LbSerialNo")->setText("x");
    h.window->FormActivate();
    QFETCH(int, line);
    QCOMPARE(h.sink.errors.size(), 1);
    // The error names the file and the line.
    QVERIFY(h.sink.errors.front().startsWith(h.fixture.connexionPath() + ", line " +
                                             QString::number(line) + ": '"));
    QVERIFY(h.sink.errors.front().endsWith("is not a valid integer value."));
    // The remaining steps ran: auto-detection keeps its design-time value and lists the port.
    QCOMPARE(h.items(), QStringList{"ttyUSB0"});
    QCOMPARE(h.child<QLabel>("LbSerialNo")->text(), kUnderscores);
}

void MainWindowTest::connectWithNothingChosen() {
    Harness h(QStringList{});
    h.window->FormActivate();
    h.sink.infos.clear();
    h.press("Connect1");
    QCOMPARE(h.sink.infos, QStringList{"Com Port not defined\r\nPlease check your parameters or "
                                       "connexion\r\nCheck also how to use automatic Port com "
                                       "detection"});
    QCOMPARE(h.fake->openCount(), 0);
    QVERIFY(h.fake->writes().isEmpty());
}

void MainWindowTest::connectSendsVersionQuery() {
    Harness h;
    h.window->FormActivate();
    h.child<QAction>("Connect1")->trigger();
    QVERIFY(h.fake->isOpen());
    QCOMPARE(h.fake->portName(), QString("ttyUSB1"));
    QCOMPARE(h.fake->writes(), QList<QByteArray>{kGetSoftware});
}

void MainWindowTest::openFailures_data() {
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("infos");
    QTest::addColumn<int>("errors");
    QTest::newRow("invalid") << int(kav::link::OpenResult::InvalidPort)
                             << QStringList{"Com Port ttyUSB1 not valid\r\nPlease check your "
                                            "parameters or connexion"}
                             << 0;
    QTest::newRow("in use") << int(kav::link::OpenResult::InUse) << QStringList{} << 1;
    QTest::newRow("other") << int(kav::link::OpenResult::Failed) << QStringList{} << 1;
}

void MainWindowTest::openFailures() {
    QFETCH(int, result);
    Harness h;
    h.window->FormActivate();
    h.sink.infos.clear();
    h.fake->failOpenAt(1, kav::link::OpenResult(result));
    h.press("BtnConnect");
    QTEST(h.sink.infos, "infos");
    QTEST(int(h.sink.errors.size()), "errors");
    QVERIFY(h.fake->writes().isEmpty());
}

void MainWindowTest::removal() {
    Harness h;
    h.window->FormActivate();
    QVERIFY(h.loggerAnswers(sampleSectors(2)));
    QVERIFY(h.answerUntilSectorsRead(1));
    QVERIFY(h.enabled("BtnRAZGT730") && h.enabled("Configure1"));
    h.sink.infos.clear();
    *h.ports = {"ttyUSB0"};
    h.window->portRemovedEvent("ttyUSB1");
    QCOMPARE(h.sink.infos, QStringList{"ComPort ttyUSB1 has been removed."});
    // The logger is put back at 115200 first, its answer awaited.
    QVERIFY(h.logger->answerUntil([&] { return !h.fake->isOpen(); }));
    for (const char* off : {"BtnRAZGT730", "ClearMemory1", "Configure1", "BtnConfig"})
        QVERIFY2(!h.enabled(off), off);
    QCOMPARE(h.items(), QStringList{"ttyUSB0"});
    QVERIFY(h.commandsSent());  // the list was read again: the removal is over
}

void MainWindowTest::connectAfterRemovalSends() {
    // With auto-detection off nothing clears the removal but a successful connect.
    Harness h;
    h.window->FormActivate();
    h.child<QCheckBox>("CkbAutoDetect")->setChecked(false);
    h.window->portRemovedEvent("ttyUSB0");
    QVERIFY(!h.commandsSent());
    h.press("BtnConnect");
    QCOMPARE(h.fake->writes(), QList<QByteArray>{kGetSoftware});
}

void MainWindowTest::exitKeepsWindow() {
    Harness h;
    h.window->show();
    h.window->FormActivate();
    h.press("BtnConnect");
    h.child<QAction>("Exit1")->trigger();
    QVERIFY(!h.fake->isOpen());
    QVERIFY(h.window->isVisible());
    QVERIFY(h.enabled("BtnConnect"));
    h.press("BtnConnect");
    QVERIFY(h.fake->isOpen());
}

// Tools > Stop download ends the download after the sector being read; closing the window
// during a download ends the run through the session: the port is closed.
void MainWindowTest::closingEndsTheRun() {
    Harness h;
    h.window->show();
    QTRY_VERIFY(h.enabled("BtnConnect") && h.chooser()->count() == 2);
    // One sector a request, so the stop comes before the end.
    h.window->session().setTransferSpeed(kav::session::TransferSpeed::Standard);
    QVERIFY(h.loggerAnswers(sampleSectors(5)));
    QVERIFY(h.answerUntilSectorsRead(1));
    h.press("StopDownload1");
    QCOMPARE(h.window->statusText(), QString("Stopping the download after the sectors being read"));
    QVERIFY(h.answerAll());
    QVERIFY(h.window->session().outcome().stopped);
    QCOMPARE(h.window->session().sectorsRead(), 2);
    QVERIFY(!h.enabled("StopDownload1"));

    QVERIFY(h.loggerAnswers(sampleSectors(5)));
    h.press("btnClose");
    QVERIFY(!h.window->isVisible());
    QVERIFY(h.logger->answerUntil([&] { return !h.fake->isOpen(); }));
    QVERIFY(h.window->session().outcome().cut());
}

// A port that answers nothing leaves the tracks read before, and the message names the port.
void MainWindowTest::noAnswerKeepsTheTable() {
    Harness h;
    h.window->FormActivate();
    QVERIFY(h.downloadSample());
    const std::size_t tracks = h.window->collection().tracks().size();
    h.press("BtnConnect");
    QCOMPARE(h.window->collection().tracks().size(), tracks);
    emit h.window->session().failed({kav::link::FailureKind::NoAnswer, 0x02, -1, 3, {}});
    QCOMPARE(h.window->collection().tracks().size(), tracks);
    QVERIFY(h.enabled("BtnDownload"));
    QCOMPARE(h.sink.errors.size(), 1);
    QVERIFY(h.sink.errors.front().startsWith("Com Port ttyUSB1: "));
    // A logger that answers replaces them; the strip shows it, with no red left from before.
    QVERIFY(h.loggerAnswers(sampleSectors(4)));
    QVERIFY(h.window->collection().tracks().empty());
    QVERIFY(!h.enabled("BtnDownload"));
    auto* strip = h.window->findChild<kav::browse::SectorStrip*>();
    QCOMPARE(strip->blockColour(2), QColor(255, 0, 0));
    QCOMPARE(strip->blockColour(3), QColor(192, 192, 192));
}

// A port streaming frames not understood shows each kind of message once a run; the status
// counts the rest when the run ends.
void MainWindowTest::repeatedNoticesShownOnce() {
    Harness h;
    h.window->FormActivate();
    const auto stream = [&h] {
        for (int i = 0; i < 50; ++i)
            h.fake->inject(kav::link::buildFrame(0xAE, QByteArray(1, 'x')));
    };
    QVERIFY(h.loggerAnswers(sampleSectors(1)));
    stream();
    QCOMPARE(h.sink.infos.size(), 1);
    QVERIFY(h.answerAll());
    QVERIFY(
        h.window->statusText().endsWith("(49 more \"Transmission failure\" messages not shown)"));
    QVERIFY(h.loggerAnswers(sampleSectors(1)));
    stream();
    QCOMPARE(h.sink.infos.size(), 2);
}

// Send to GPS during a download says the memory is read again; No keeps the dialog and its values.
void MainWindowTest::sendDuringDownload_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("No") << false;
    QTest::newRow("Yes") << true;
}

void MainWindowTest::sendDuringDownload() {
    QFETCH(bool, yes);
    Harness h;
    h.window->FormActivate();
    QVERIFY(h.loggerAnswers(sampleSectors(5)));
    QVERIFY(h.answerUntilSectorsRead(1));
    h.sink.answer = yes;
    TConfiguration& dialog = h.window->configuration();
    bool open = false;
    QString speed;
    QTimer::singleShot(0, &dialog, [&] {
        dialog.findChild<QLineEdit*>("EdSpeedMin")->setText("7");
        dialog.findChild<QPushButton*>("BtSend")->click();
        open = dialog.isVisible();
        speed = dialog.findChild<QLineEdit*>("EdSpeedMin")->text();
        dialog.reject();
    });
    h.press("Configure1");
    QCOMPARE(h.sink.questions.size(), 1);
    QVERIFY(h.sink.questions.front().contains("read again from the start"));
    QCOMPARE(open, !yes);
    QCOMPARE(speed, QString("7"));
    QCOMPARE(h.window->statusText().startsWith("Stopping"), yes);
}

// The outcome of the last download stays in the status bar while menus show their tips.
void MainWindowTest::statusSurvivesMenuTips() {
    Harness h;
    h.window->show();
    QTRY_VERIFY(h.chooser()->count() == 2);
    QVERIFY(h.downloadFrom(sampleSectors(5), {"refuse-always=0x1D"}));
    const QString outcome = h.window->statusText();
    QVERIFY(outcome.startsWith("Download incomplete: 0 of 5 sectors read."));
    QStatusTipEvent tip("Saves the marked track");
    QApplication::sendEvent(h.window.get(), &tip);
    QStatusTipEvent none("");
    QApplication::sendEvent(h.window.get(), &none);
    QCOMPARE(h.window->statusText(), outcome);
    QVERIFY(h.child<QLabel>("LbStatus")->isVisible());
    // Clear memory answers with its own outcome and leaves nothing to save.
    QVERIFY(h.window->session().clearMemory());
    QVERIFY(h.logger->answerUntil([&] { return h.window->statusText() == "Memory cleared"; }));
    QVERIFY(!h.enabled("BtnDownload") && !h.enabled("Download1"));
}

void MainWindowTest::downloadEnabledForOneSectorLog() {
    Harness h;
    h.window->FormActivate();
    QVERIFY(h.downloadFrom(sampleSectors(1)));
    QVERIFY(!h.window->collection().tracks().empty());
    QVERIFY(h.enabled("BtnDownload") && h.enabled("Download1"));
    QVERIFY(h.child<QCheckBox>("CbTimeFilter")->isChecked());

    // An empty log leaves nothing to save.
    Harness empty;
    empty.window->FormActivate();
    QVERIFY(empty.downloadFrom(kEmptySector));
    QCOMPARE(empty.window->session().sectorsRead(), 1);
    QVERIFY(!empty.enabled("BtnDownload"));
}

void MainWindowTest::clearMemoryAsksFirst_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("swappedTo");  // sectors of another logger put on the port; 0: none
    QTest::addColumn<bool>("cleared");
    QTest::newRow("OK") << true << 0 << true;
    QTest::newRow("No") << false << 0 << false;
    QTest::newRow("OK, another logger on the port") << true << 3 << false;
}

// Only the logger just read is cleared: its serial number and used sectors are asked again.
void MainWindowTest::clearMemoryAsksFirst() {
    QFETCH(bool, ok);
    QFETCH(int, swappedTo);
    QFETCH(bool, cleared);
    Harness h;
    h.window->FormActivate();
    QVERIFY(h.downloadFrom(kEmptySector));
    if (swappedTo > 0) QVERIFY(h.logger->plugIn(sampleSectors(swappedTo)));
    h.fake->clearWrites();
    h.sink.answer = ok;
    h.press("BtnRAZGT730");
    QCOMPARE(h.sink.warnings, QStringList{"Clear flight recorder ?"});
    QVERIFY(h.answerAll());
    QCOMPARE(h.fake->writes().contains(QByteArray::fromHex("a0a1000119190d0a")), cleared);
    if (cleared) QCOMPARE(h.window->statusText(), QStringLiteral("Memory cleared"));
    if (ok && !cleared) QVERIFY(h.sink.infos.join(u' ').contains(QLatin1String("not cleared")));
}

void MainWindowTest::escapePressesClearMemoryOnlyWhenEnabled() {
    Harness h;
    h.window->show();
    QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
    h.window->FormActivate();
    QTest::keyClick(h.window.get(), Qt::Key_Escape);
    QVERIFY(h.sink.warnings.isEmpty());

    // A stored sector enables Clear memory; Esc then asks before anything is sent.
    h.sink.answer = false;
    QVERIFY(h.downloadFrom(sampleSectors(1)));
    QVERIFY(h.enabled("BtnRAZGT730"));
    QTest::keyClick(h.window.get(), Qt::Key_Escape);
    QCOMPARE(h.sink.warnings, QStringList{QStringLiteral("Clear flight recorder ?")});
}

void MainWindowTest::aboutShowsVersion() {
    Harness h;
    h.window->about().setVersion("old");
    QTimer::singleShot(0, &h.window->about(), &QDialog::reject);
    h.press("About1");
    auto* buttons = h.window->about().findChild<QDialogButtonBox*>("AboutButtons");
    QVERIFY(buttons && buttons->button(QDialogButtonBox::Close));  // a way to close it
    QCOMPARE(h.window->about().version(), QString("0.1.5 "));
    // The authors and where bug reports go come from the build.
    QCOMPARE(h.window->about().findChild<QLabel*>("Authors")->text(), QString(KAV_AUTHORS));
    auto* bugReport = h.window->about().findChild<QLabel*>("BugReport");
    QCOMPARE(bugReport ? bugReport->text() : QString(), QString(KAV_BUG_REPORT));
    QCOMPARE(h.window->about().windowTitle(), QString("About GT730"));
}

// Unplugging the logger keeps the downloaded tracks, and the box that shows the hidden ones.
void MainWindowTest::shortListSurvivesUnplugging() {
    Harness h;
    h.window->FormActivate();
    QVERIFY(h.downloadSample());
    auto* box = h.child<QCheckBox>("CbTimeFilter");
    auto* table = h.window->findChild<kav::browse::TrackTable*>();
    QVERIFY(box->isChecked() && box->isVisibleTo(h.window.get()));
    QVERIFY(table->isRowHidden(0));
    h.window->portRemovedEvent("ttyUSB1");
    QVERIFY(box->isVisibleTo(h.window.get()));
    box->setChecked(false);
    QVERIFY(!table->isRowHidden(0));
    // Plugged in again: a new download starts from an empty table, with no box.
    h.window->portArrivedEvent("ttyUSB1");
    QVERIFY(!box->isVisibleTo(h.window.get()));
}

// Help shows the guide shipped beside the program or in the package's share folder, without a
// browser, or says where it looked; Support with no site set says so and opens nothing.
void MainWindowTest::helpAndSupport_data() {
    QTest::addColumn<QString>("guideAt");  // relative to the program folder; empty: none
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("info");  // a part of the one message, if any
    const auto row = [](const char* name, QString at, QString action, QString info) {
        QTest::newRow(name) << at << action << info;
    };
    row("guide beside", "user-guide.md", "Help2", "");
    row("guide in share", "../share/kav-skytraq/user-guide.md", "Help2", "");
    row("no guide", "", "Help2", "/bin/user-guide.md");
}

void MainWindowTest::helpAndSupport() {
    QFETCH(QString, guideAt);
    QFETCH(QString, action);
    QFETCH(QString, info);
    Harness h(QStringList{}, true);
    const QString guide = h.fixture.programDir() + "/" + guideAt;
    QDir().mkpath(QFileInfo(guide).absolutePath());
    if (!guideAt.isEmpty()) SettingsFixture::write(guide, "# Guide\n\nPress **Connect**.\n");
    h.child<QAction>(action.toLatin1().constData())->trigger();
    auto* shown = h.window->findChild<QTextBrowser*>("GuideText");
    QCOMPARE(shown && shown->toPlainText().contains("Press Connect."), info.isEmpty());
    QCOMPARE(h.sink.infos.size(), info.isEmpty() ? 0 : 1);
    if (!info.isEmpty()) QVERIFY(h.sink.infos.front().contains(info));
    QVERIFY(h.opened.isEmpty());
    // Support shows only when the build names a support site.
    QCOMPARE(h.child<QAction>("Support1")->isVisible(), supportPage().has_value());
}

// With KAV_WINDOW_GRAB=<png path>, saves the window after a sample download, for a look by eye.
void MainWindowTest::grabWhenAsked() {
    const QString path = qEnvironmentVariable("KAV_WINDOW_GRAB");
    if (path.isEmpty()) QSKIP("KAV_WINDOW_GRAB not set");
    Harness h;
    h.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
    h.window->FormActivate();
    QVERIFY(h.downloadSample());
    QTest::qWait(200);
    QVERIFY(h.window->grab().save(path));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
