// Settings files, the Parameters and Logger configuration dialogs, and the message rules.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/configuration_dialog.h"
#include "app/log_criteria.h"
#include "app/message_sink.h"
#include "app/nav_folders.h"
#include "app/parameters_dialog.h"
#include "app/radio_list.h"
#include "app/settings_files.h"
#include "app/web_pages.h"
#include "recording_sink.h"
#include "settings_fixture.h"

using namespace kav::app;
using kav::app::testing::RecordingSink;
using kav::app::testing::SettingsFixture;

Q_DECLARE_METATYPE(LogCriteria)

namespace {

template <typename W>
W* child(QObject& parent, const char* name) {
    return parent.findChild<W*>(QString::fromLatin1(name));
}

// Presses a dialog's button as a user does; the logger configuration's buttons are enabled first,
// as a logger's status enables them.
void press(QDialog& dialog, const char* name) {
    if (auto* configuration = qobject_cast<TConfiguration*>(&dialog))
        configuration->setSendEnabled(true);
    child<QPushButton>(dialog, name)->click();
}

// Loads the settings of fixture into a fresh dialog as the start-up does.
TParametersGT730::Applied load(TParametersGT730& dialog, const SettingsFixture& fixture) {
    const SettingsOutcome outcome = readSettingsFiles(fixture.places());
    return outcome.status == SettingsStatus::Done ? dialog.applySettings(outcome.lines)
                                                  : TParametersGT730::Applied{};
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void errorReport_data();
    void errorReport();
    void settingsLoading_data();
    void settingsLoading();
    void settingsNeverCrash_data();
    void settingsNeverCrash();
    void settingsPlaces_data();
    void settingsPlaces();
    void saving_data();
    void saving();
    void savingAnsweredNo();
    void navFolders();
    void navSelectionBounded();
    void criteria_data();
    void criteria();
    void criteriaConversionError();
    void modeSwitching();
    void offlinePages_data();
    void offlinePages();
};

void DialogsTest::errorReport_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "abc"
                            << "abc.";
    QTest::newRow("full stop") << "abc."
                               << "abc.";
    QTest::newRow("bracket below full stop") << "x)"
                                             << "x)";
    QTest::newRow("slash above full stop") << "x/"
                                           << "x/.";
    QTest::newRow("empty") << ""
                           << "";
}

void DialogsTest::errorReport() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    RecordingSink sink;
    reportError(sink, text);
    QCOMPARE(sink.errors, QStringList{shown});
}

void DialogsTest::settingsLoading_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("nav");
    QTest::addColumn<bool>("useList");
    QTest::addColumn<QString>("gap");
    QTest::addColumn<QString>("threshold");
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("autoDetect");
    QTest::addColumn<bool>("error");
    const auto row = [](const char* name, QStringList lines, int nav, bool list, QString gap,
                        QString threshold, int format, bool autoDetect, bool error) {
        QTest::newRow(name) << lines << nav << list << gap << threshold << format << autoDetect
                            << error;
    };
    // Line 1 is replaced by the fixture's data folder, which holds Nav1 and Nav2.
    row("plain", {"", "1", "True", "x", "30", "900", "2", "True"}, 1, true, "30", "900", 2, true,
        false);
    row("lower-case true", {"", "0", "true", "x", "20", "600", "0", "true"}, 0, false, "20", "600",
        0, false, false);
    row("negative nav", {"", "-5", "False", "x", "20", "600", "1", "False"}, -1, false, "20", "600",
        1, false, false);
    row("nav beyond list", {"", "7", "False", "x", "20", "600", "0", "True"}, 1, false, "20", "600",
        0, true, false);
    row("gap zero", {"", "-1", "False", "x", "0", "600", "0", "True"}, -1, false, "20", "600", 0,
        true, false);
    row("gap text", {"", "-1", "False", "x", "abc", "0", "0", "True"}, -1, false, "20", "600", 0,
        true, false);
    row("gap negative", {"", "-1", "False", "x", "-3", "600", "0", "True"}, -1, false, "-3", "600",
        0, true, false);
    row("format out of range", {"", "-1", "False", "x", "20", "600", "9", "True"}, -1, false, "20",
        "600", 0, true, false);
    // A line 2 or 7 that is not an integer stops the loading: the rest keeps design-time values.
    row("nav not integer", {"", "abc", "True", "x", "30", "900", "2", "False"}, -1, false, "20",
        "600", 0, true, true);
    row("format not integer", {"", "0", "True", "x", "30", "900", "gpx", "False"}, 0, true, "30",
        "900", 0, true, true);
    row("short file", {"", "0", "True"}, 0, true, "20", "600", 0, true, true);
}

void DialogsTest::settingsLoading() {
    QFETCH(QStringList, lines);
    SettingsFixture fixture;
    QDir(fixture.dataDir()).mkdir("Nav1");
    QDir(fixture.dataDir()).mkdir("Nav2");
    lines[0] = fixture.dataDir();
    fixture.writeBoth(SettingsFixture::lines(lines));
    RecordingSink sink;
    TParametersGT730 dialog(sink, fixture.places());
    const auto applied = load(dialog, fixture);

    const SettingsValues values = dialog.values();
    QCOMPARE(applied.dataDir.value_or(QString()), fixture.dataDir());
    QTEST(values.navIndex, "nav");
    QTEST(values.useStartList, "useList");
    QTEST(values.gap, "gap");
    QTEST(values.threshold, "threshold");
    QTEST(values.format, "format");
    QTEST(values.autoDetect, "autoDetect");
    QTEST(!applied.error.isEmpty(), "error");
    QCOMPARE(child<QWidget>(dialog, "FilenameList")->isVisibleTo(&dialog), values.useStartList);
}

void DialogsTest::settingsNeverCrash_data() {
    QTest::addColumn<QByteArray>("connexion");
    QTest::addColumn<bool>("error");
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) garbage += char((i * 37) % 256);
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("garbage bytes") << garbage << true;
    QTest::newRow("long lines") << QByteArray(200000, 'x') + "\r\n-1\r\n" << true;
    QTest::newRow("nul bytes") << QByteArray("\0\0\r\n-1\r\n\0\r\n", 11) << true;
    QTest::newRow("LF only") << QByteArray("/tmp\n-1\nFalse\nx\n20\n600\n1\nTrue\n") << false;
}

void DialogsTest::settingsNeverCrash() {
    QFETCH(QByteArray, connexion);
    SettingsFixture fixture;
    fixture.writeBoth(connexion);
    RecordingSink sink;
    TParametersGT730 dialog(sink, fixture.places());
    const auto applied = load(dialog, fixture);
    QTEST(!applied.error.isEmpty(), "error");
}

// data_folder.cfg beside the program, in the user's folder, in both or in neither; it may name
// a folder without Connexion.cfg ("lacking") or no folder at all ("gone"). Reading creates
// nothing; Save creates what a first start lacks.
void DialogsTest::settingsPlaces_data() {
    QTest::addColumn<QString>("files");
    QTest::addColumn<bool>("saving");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("used");  // the folder of the Connexion.cfg read or written
    const int done = int(SettingsStatus::Done);
    const int missing = int(SettingsStatus::Missing);
    QTest::newRow("beside the program") << "program" << false << done << "cfg";
    QTest::newRow("in the user folder") << "user" << false << done << "user";
    QTest::newRow("beside the program first") << "both" << false << done << "cfg";
    QTest::newRow("none: quiet") << "none" << false << int(SettingsStatus::None) << "";
    QTest::newRow("none: Save creates both") << "none" << true << done << "user";
    QTest::newRow("lacking") << "lacking" << false << missing << "";
    QTest::newRow("lacking: Save creates it") << "lacking" << true << done << "cfg";
    QTest::newRow("gone: nothing saved") << "gone" << true << missing << "";
}

void DialogsTest::settingsPlaces() {
    QFETCH(QString, files);
    QFETCH(bool, saving);
    QFETCH(QString, used);
    SettingsFixture f;
    const QByteArray lines = SettingsFixture::lines({"D", "-1", "False", "x", "20", "600", "1"});
    const QString cfg = f.configDir() + (files == "gone" ? "/gone" : "");
    if (files == "program" || files == "both") f.writeBoth(lines);
    if (files == "lacking" || files == "gone") f.writeDataFolder(cfg.toLocal8Bit());
    if (files == "user" || files == "both") {
        QDir().mkpath(f.userDir());
        f.writeDataFolder(f.userDir().toLocal8Bit(), f.userDir());
        SettingsFixture::write(f.userDir() + "/Connexion.cfg", lines);
    }
    const SettingsOutcome outcome =
        saving ? writeSettingsFiles(f.places(), {}) : readSettingsFiles(f.places());
    QTEST(int(outcome.status), "status");
    const QString usedDir = used == "cfg" ? f.configDir() : f.userDir();
    QCOMPARE(outcome.path, used.isEmpty() ? QString() : usedDir + "/Connexion.cfg");
    const bool isMissing = outcome.status == SettingsStatus::Missing;
    QCOMPARE(outcome.message, isMissing ? "Connexion.cfg file missing in directory " + cfg : "");
    QCOMPARE(QFile::exists(cfg + "/Connexion.cfg"), used == "cfg");
    QCOMPARE(QDir(f.userDir()).exists(), files == "user" || files == "both" || used == "user");
    if (saving) QCOMPARE(readSettingsFiles(f.places()).path, outcome.path);  // read back
}

void DialogsTest::saving_data() {
    QTest::addColumn<QStringList>("loaded");
    QTest::addColumn<QStringList>("written");
    QTest::newRow("negative nav and gap kept")
        << QStringList{"D", "-5", "False", "x", "-3", "600", "1", "True"}
        << QStringList{"D", "-1", "False", "BlankListCompetitor.Text", "-3", "600", "1", "True"};
    QTest::newRow("zero threshold reset")
        << QStringList{"D", "-1", "False", "x", "abc", "0", "2", "False"}
        << QStringList{"D", "-1", "False", "BlankListCompetitor.Text", "20", "600", "2", "False"};
}

void DialogsTest::saving() {
    QFETCH(QStringList, loaded);
    QFETCH(QStringList, written);
    SettingsFixture fixture;
    loaded[0] = fixture.dataDir();
    written[0] = fixture.dataDir();
    fixture.writeBoth(SettingsFixture::lines(loaded));
    RecordingSink sink;
    TParametersGT730 dialog(sink, fixture.places());
    load(dialog, fixture);
    int savedFormat = -1;
    QObject::connect(&dialog, &TParametersGT730::defaultFormatSaved,
                     [&savedFormat](int format) { savedFormat = format; });
    press(dialog, "BtSend");
    QCOMPARE(sink.questions, QStringList{"Save this config ?"});
    QCOMPARE(fixture.readConnexion(), SettingsFixture::lines(written));
    QCOMPARE(savedFormat, written[6].toInt());
}

void DialogsTest::savingAnsweredNo() {
    SettingsFixture fixture;
    const QByteArray before =
        SettingsFixture::lines({"D", "0", "False", "x", "20", "600", "0", "True"});
    fixture.writeBoth(before);
    RecordingSink sink;
    sink.answer = false;
    TParametersGT730 dialog(sink, fixture.places());
    press(dialog, "BtDefault");
    press(dialog, "BtSend");
    QCOMPARE(fixture.readConnexion(), before);
    QCOMPARE(sink.count(), 1);
}

void DialogsTest::navFolders() {
    QTemporaryDir dir;
    QDir root(dir.path());
    for (const char* name : {"Nav1", "Navette", "nav2", ".Nav3", "Nav3", "xNav"}) root.mkdir(name);
    QFile(dir.path() + "/Nav3").setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    SettingsFixture::write(dir.path() + "/Nav4.txt", "file");
    QCOMPARE(kav::app::navFolders(dir.path()), (QStringList{"Nav1", "Navette"}));
    QVERIFY(kav::app::navFolders(dir.path() + "/missing").isEmpty());

    RecordingSink sink;
    TParametersGT730 dialog(sink, {dir.path(), {}});
    child<QLineEdit>(dialog, "DirEdit")->setText(dir.path());
    QCOMPARE(child<RadioList>(dialog, "RgNav")->items(), (QStringList{"Nav1", "Navette"}));
}

void DialogsTest::navSelectionBounded() {
    // The selection survives a relisting while the index still exists.
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("Nav1");
    QDir(dir.path()).mkdir("Nav2");
    RecordingSink sink;
    TParametersGT730 dialog(sink, {dir.path(), {}});
    auto* edit = child<QLineEdit>(dialog, "DirEdit");
    auto* nav = child<RadioList>(dialog, "RgNav");
    edit->setText(dir.path());
    nav->setSelectedIndex(1);
    dialog.ListNav();
    QCOMPARE(nav->selectedIndex(), 1);
    edit->setText(dir.path() + "/none");
    QCOMPARE(nav->selectedIndex(), -1);
}

void DialogsTest::criteria_data() {
    QTest::addColumn<bool>("distance");
    QTest::addColumn<QStringList>(
        "fields");  // time max, time min, dist max, dist min, speed max, speed min
    QTest::addColumn<bool>("log");
    QTest::addColumn<QList<int>>("sent");
    QTest::newRow("time") << false << QStringList{"65535", "1", "65535", "0", "65535", "0"} << true
                          << QList<int>{65535, 1, 65535, 0, 65535, 0, 1};
    QTest::newRow("distance zero -> 50 m")
        << true << QStringList{"65535", "0", "65535", "0", "65535", "0"} << true
        << QList<int>{65535, 0, 65535, 50, 65535, 0, 1};
    QTest::newRow("time min zero kept") << false << QStringList{"100", "0", "9", "9", "9", "9"}
                                        << true << QList<int>{100, 0, 9, 0, 9, 9, 1};
    QTest::newRow("max time zero -> 1") << false << QStringList{"0", "5", "9", "9", "9", "9"}
                                        << true << QList<int>{1, 5, 9, 0, 9, 9, 1};
    QTest::newRow("low 16 bits") << false << QStringList{"9", "5", "9", "9", "9", "70000"} << true
                                 << QList<int>{9, 5, 9, 0, 9, 4464, 1};
    QTest::newRow("log off") << true << QStringList{"9", "0", "9", "120", "9", "3"} << false
                             << QList<int>{9, 0, 9, 120, 9, 3, 0};
}

void DialogsTest::criteria() {
    QFETCH(bool, distance);
    QFETCH(QStringList, fields);
    QFETCH(bool, log);
    QFETCH(QList<int>, sent);
    RecordingSink sink;
    TConfiguration dialog(sink);
    child<QRadioButton>(dialog, distance ? "RgTypeLogDistance" : "RgTypeLogTime")->setChecked(true);
    const char* names[] = {"EdTimeMax", "EdTimeMin",  "EdDistMax",
                           "EdDistMin", "EdSpeedMax", "EdSpeedMin"};
    for (int i = 0; i < 6; ++i) child<QLineEdit>(dialog, names[i])->setText(fields[i]);
    child<QCheckBox>(dialog, "CkbLog")->setChecked(log);
    QList<int> got;
    QObject::connect(&dialog, &TConfiguration::criteriaReady, [&got](const LogCriteria& values) {
        got = QList<int>(values.begin(), values.end());
    });
    press(dialog, "BtSend");
    QCOMPARE(got, sent);
    QCOMPARE(sink.count(), 0);
}

void DialogsTest::criteriaConversionError() {
    RecordingSink sink;
    TConfiguration dialog(sink);
    child<QLineEdit>(dialog, "EdSpeedMin")->setText("");
    bool sent = false;
    QObject::connect(&dialog, &TConfiguration::criteriaReady, [&sent] { sent = true; });
    press(dialog, "BtSend");
    QVERIFY(!sent);
    QCOMPARE(sink.errors.size(), 1);
    // Typed letters never reach a criteria field.
    auto* field = child<QLineEdit>(dialog, "EdTimeMin");
    field->setText("1");
    QTest::keyClicks(field, "2a-3");
    QCOMPARE(field->text(), QString("123"));
}

void DialogsTest::modeSwitching() {
    RecordingSink sink;
    TConfiguration dialog(sink);
    auto* time = child<QLineEdit>(dialog, "EdTimeMin");
    auto* dist = child<QLineEdit>(dialog, "EdDistMin");
    QVERIFY(time->isEnabled() && !dist->isEnabled());
    QVERIFY(!child<QPushButton>(dialog, "BtSend")->isEnabled());
    QVERIFY(child<QWidget>(dialog, "EdTimeMax")->isHidden());
    dist->setText("7");
    child<QRadioButton>(dialog, "RgTypeLogDistance")->setChecked(true);
    QCOMPARE(time->text(), QString("0"));
    QVERIFY(!time->isEnabled() && dist->isEnabled());
    dist->setText("30");
    child<QRadioButton>(dialog, "RgTypeLogTime")->setChecked(true);
    QCOMPARE(dist->text(), QString("0"));
    QCOMPARE(time->text(), QString("0"));
    press(dialog, "BtDefault");
    QCOMPARE(time->text(), QString("1"));
    QCOMPARE(child<QLineEdit>(dialog, "EdSpeedMax")->text(), QString("65535"));
}

void DialogsTest::offlinePages_data() {
    QTest::addColumn<bool>("help");
    QTest::addColumn<bool>("online");
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("error");
    const QString offline = "Internet connection not availlable.\nYou must be online to access at ";
    QTest::newRow("help offline") << true << false << "" << offline + "help.example.org.";
    QTest::newRow("support offline") << false << false << "" << offline + "support.example.org.";
    QTest::newRow("help online") << true << true << "https://help.example.org/Help-GT730"
                                 << "";
    QTest::newRow("support online") << false << true << "http://support.example.org/"
                                    << "";
}

void DialogsTest::offlinePages() {
    QFETCH(bool, help);
    QFETCH(bool, online);
    QFETCH(QString, opened);
    QFETCH(QString, error);
    RecordingSink sink;
    QString got;
    // Pages as a build may set them.
    const auto page =
        webPage(help ? "https://help.example.org/Help-GT730" : "http://support.example.org/");
    QVERIFY(page);
    QVERIFY(!webPage(QString()) && !webPage("no host"));  // a build that sets none
    openWebPage(
        *page, [online] { return online; }, [&got](const QUrl& url) { got = url.toString(); },
        sink);
    QCOMPARE(got, opened);
    QCOMPARE(sink.errors, error.isEmpty() ? QStringList{} : QStringList{error});
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
