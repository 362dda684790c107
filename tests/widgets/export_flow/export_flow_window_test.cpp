// The Download flow in the window: names, start list, save dialog, writers, failures, raw logs.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QtTest>

#include <algorithm>

#include "app/parameters_dialog.h"
#include "browse/track_plot.h"
#include "export_harness.h"
#include "flight/log_flights.h"

using namespace kav::app;
using kav::app::testing::ExportHarness;

namespace {

QByteArray head(const QString& path, int size) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(size) : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

struct TrackSpan {
    std::size_t first, last;
    double start, finish;
    bool operator==(const TrackSpan&) const = default;
};

std::vector<TrackSpan> spans(const TKAVSkyTraqV6& window) {
    std::vector<TrackSpan> out;
    for (const auto& t : window.collection().tracks())
        out.push_back({t.first, t.last, t.start, t.finish});
    return out;
}

void clickDownload(ExportHarness& h) {
    QTest::mouseClick(h.window->findChild<QPushButton*>("BtnDownload"), Qt::LeftButton);
}

}  // namespace

class ExportFlowWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void noStartListOneClickEach_data();
    void noStartListOneClickEach();
    void typedNames_data();
    void typedNames();
    void missingStartList();
    void startListPickedInOpenDialog();
    void competitorInSaveDialogFolder();
    void abortKeepsDateProposal();
    void unsafeCompetitorNames_data();
    void unsafeCompetitorNames();
    void writeFailure_data();
    void writeFailure();
    void noTrackNothingHappens();
    void rawLogRoundTrip();
    void openRawLogFailureKeepsLog_data();
    void openRawLogFailureKeepsLog();
    void saveRawLogWithoutSectors();
    void fileMenuItems();
    void dialogFilterCarriesOver();
    void flightOnly();
    void flightOnlyKmlHoldsTurnpoints();
    void logbook();
};

void ExportFlowWindowTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QCOMPARE(QLocale().dateFormat(QLocale::ShortFormat), QString("dd/MM/yyyy"));
}

// Without a start list: no dialog, the date name in the output folder, numbered.
void ExportFlowWindowTest::noStartListOneClickEach_data() {
    QTest::addColumn<bool>("dataDirExists");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("gac") << true << QDate(2026, 12, 9) << "0"
                         << QStringList{"091226.gac", "091226_1.gac"};
    QTest::newRow("kml") << true << QDate(2026, 12, 9) << "1"
                         << QStringList{"091226.kml", "091226_1.kml"};
    QTest::newRow("gpx, 19 May 2019")
        << true << QDate(2019, 5, 19) << "2" << QStringList{"190519.gpx", "190519_1.gpx"};
    // The logger's serial number ends in 567.
    QTest::newRow("igc: the long name")
        << true << QDate(2026, 12, 9) << "3"
        << QStringList{"2022-05-10-XXX-567-01.igc", "2022-05-10-XXX-567-01_1.igc"};
    QTest::newRow("data folder missing: program folder")
        << false << QDate(2026, 12, 9) << "0" << QStringList{"091226.gac", "091226_1.gac"};
    // A track whose end was not read is named as the command line names it.
    QTest::newRow("download cut: incomplete")
        << true << QDate(2026, 12, 9) << "2"
        << QStringList{"091226_incomplete.gpx", "091226_incomplete_1.gpx"};
}

void ExportFlowWindowTest::noStartListOneClickEach() {
    QFETCH(bool, dataDirExists);
    QFETCH(QDate, date);
    QFETCH(QString, format);
    QFETCH(QStringList, names);
    ExportHarness h;
    h.now = QDateTime(date, QTime(12, 0));
    const QString data = dataDirExists ? h.fixture.dataDir() : h.fixture.dataDir() + "/missing";
    h.start(ExportHarness::settings(data, false, "", format));
    const bool cut = names.first().contains("_incomplete");
    QVERIFY(h.download(cut));
    const QString folder = dataDirExists ? data : h.fixture.programDir();
    const QStringList before = ExportHarness::filesIn(folder);

    clickDownload(h);
    h.window->findChild<QAction*>("Download1")->trigger();

    QStringList expected = before + names;
    expected.sort();
    QCOMPARE(ExportHarness::filesIn(folder), expected);
    QVERIFY(h.proposals.isEmpty());
    QCOMPARE(h.sink.questions.size(), cut ? 2 : 0);  // "Save it anyway?" at each click
    QCOMPARE(h.sink.count(), h.sink.questions.size());
    QVERIFY(h.window->statusText().contains(folder + "/" + names.last()));
    const QByteArray first = head(folder + "/" + names.first(), 5);
    QVERIFY(first.startsWith("AAXCM") || first.startsWith("<?xml") || first.startsWith("AXXX"));
}

// With the start list, the name confirmed in the save dialog: extension, numbering, writer.
void ExportFlowWindowTest::typedNames_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("numbered past two") << "track.kml"
                                       << "0" << QStringList{"track.kml", "track_1.kml"}
                                       << "track_2.kml" << QString() << QByteArray("<?xml");
    QTest::newRow("no extension, GPX chosen")
        << "name"
        << "2" << QStringList{} << "name.gpx" << QString() << QByteArray("<?xml");
    // "none" stands for a save dialog that answers with no filter chosen (index 0).
    QTest::newRow("no extension, format unset")
        << "name"
        << "none" << QStringList{} << QString() << "Extension  unknown " << QByteArray();
    QTest::newRow("upper case kept, GAC writer")
        << "TRACK.GAC"
        << "1" << QStringList{} << "TRACK.GAC" << QString() << QByteArray("AAXCM");
    QTest::newRow("txt refused") << "name.txt"
                                 << "0" << QStringList{} << QString() << "Extension .txt unknown "
                                 << QByteArray();
}

void ExportFlowWindowTest::typedNames() {
    QFETCH(QString, typed);
    QFETCH(QString, format);
    QFETCH(QStringList, existing);
    QFETCH(QString, written);
    QFETCH(QString, message);
    QFETCH(QByteArray, start);
    ExportHarness h;
    const QString list = h.fixture.configDir() + "/list.txt";
    writeFile(list, "ANNE\r\n");
    const QString data = h.fixture.dataDir();
    for (const QString& name : existing) writeFile(data + "/" + name, "old");
    h.start(ExportHarness::settings(data, true, list, format == "none" ? "0" : format));
    QVERIFY(h.download());
    h.saveAnswer = ExportHarness::typed(data, typed);
    if (format == "none")
        h.saveAnswer = [data, typed](const QString&, int) {
            return std::optional(SaveChoice{data + "/" + typed, 0});
        };

    clickDownload(h);

    QStringList expected = existing;
    if (!written.isEmpty()) expected << written;
    expected.sort();
    QCOMPARE(ExportHarness::filesIn(data), expected);
    QCOMPARE(h.sink.infos, message.isEmpty() ? QStringList{} : QStringList{message});
    QVERIFY(h.sink.errors.isEmpty());
    if (!written.isEmpty()) QVERIFY(head(data + "/" + written, 64).startsWith(start));
    for (const QString& name : existing) QCOMPARE(head(data + "/" + name, 8), QByteArray("old"));
}

void ExportFlowWindowTest::missingStartList() {
    ExportHarness h;
    const QString data = h.fixture.dataDir();
    h.start(ExportHarness::settings(data, true, data + "/none.txt", "0"));
    QVERIFY(h.download());
    const QString list = data + "/BlankListCompetitor.txt";
    QCOMPARE(h.window->parameters().startListFile(), list);

    clickDownload(h);

    QCOMPARE(h.startListAsked, QStringList{list});
    QCOMPARE(h.sink.infos, QStringList{"File " + list + " not find"});
    QVERIFY(h.competitorCaptions.isEmpty());
    QCOMPARE(h.proposals, QStringList{data + "/09_12_2026FR.gac"});
    QCOMPARE(h.filterIndexes, QList<int>{1});
    // The dialog was cancelled: the proposal is used.
    QCOMPARE(ExportHarness::filesIn(data), QStringList{"09_12_2026FR.gac"});
}

void ExportFlowWindowTest::startListPickedInOpenDialog() {
    ExportHarness h;
    const QString picked = h.fixture.configDir() + "/pilots.txt";
    writeFile(picked, "ANNE\r\nBRUNO\r\n");
    h.start(ExportHarness::settings(h.fixture.dataDir(), true, "none.txt", "0"));
    QVERIFY(h.download());
    h.startListAnswer = picked;

    clickDownload(h);

    QCOMPARE(h.startListAsked.size(), 1);
    QCOMPARE(h.competitorCaptions, QStringList{"pilots.txt"});
    QCOMPARE(h.competitorEntries, QStringList({"ANNE", "BRUNO"}));
    QCOMPARE(h.window->parameters().startListFile(), picked);
    QVERIFY(h.sink.infos.isEmpty());
}

void ExportFlowWindowTest::competitorInSaveDialogFolder() {
    ExportHarness h;
    const QString list = h.fixture.configDir() + "/list.txt";
    writeFile(list, "ANNE\r\n\r\nF-042 PILOT\r\n");
    h.start(ExportHarness::settings(h.fixture.dataDir(), true, list, "0"));
    QVERIFY(h.download());
    h.competitorAnswer = "F-042 PILOT";
    // The user confirms the proposed name in the folder the save dialog shows.
    const QString shown = h.fixture.dataDir();
    h.saveAnswer = [shown](const QString& proposal, int index) {
        return std::optional(SaveChoice{shown + "/" + QFileInfo(proposal).fileName(), index});
    };

    clickDownload(h);

    QCOMPARE(h.competitorCaptions, QStringList{"list.txt"});
    QCOMPARE(h.competitorEntries, QStringList({"ANNE", "", "F-042 PILOT"}));
    QCOMPARE(h.proposals, QStringList{h.fixture.dataDir() + "/F-042 PILOT.gac"});
    QCOMPARE(ExportHarness::filesIn(shown), QStringList{"F-042 PILOT.gac"});
    QCOMPARE(h.sink.count(), 0);
}

void ExportFlowWindowTest::abortKeepsDateProposal() {
    ExportHarness h;
    const QString list = h.fixture.configDir() + "/list.txt";
    writeFile(list, "ANNE\r\n");
    h.start(ExportHarness::settings(h.fixture.dataDir(), true, list, "1"));
    QVERIFY(h.download());
    QStringList expected = ExportHarness::filesIn(h.fixture.dataDir()) << "091226.kml";
    expected.sort();

    clickDownload(h);

    // The save dialog opens in the Directory setting.
    QCOMPARE(h.proposals, QStringList{h.fixture.dataDir() + "/091226.kml"});
    QCOMPARE(ExportHarness::filesIn(h.fixture.dataDir()), expected);
}

void ExportFlowWindowTest::unsafeCompetitorNames_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("message");
    // The name is offered with its extension: a "." inside it starts no extension.
    QTest::newRow("parent folders") << "../../x"
                                    << "_.._x.gac" << QString();
    QTest::newRow("dot inside") << "J. Smith"
                                << "J. Smith.gac" << QString();
    QTest::newRow("parent folders, extension") << "../../x.gac"
                                               << "_.._x.gac" << QString();
    QTest::newRow("slash") << "a/b"
                           << "a_b.gac" << QString();
    QTest::newRow("drive and backslash") << "c:\\evil"
                                         << "c__evil.gac" << QString();
    QTest::newRow("absolute") << "/tmp/evil"
                              << "_tmp_evil.gac" << QString();
    QTest::newRow("empty line") << ""
                                << "091226.gac" << QString();
    QTest::newRow("dots only") << ".."
                               << "091226.gac" << QString();
}

void ExportFlowWindowTest::unsafeCompetitorNames() {
    QFETCH(QString, entry);
    QFETCH(QString, written);
    QFETCH(QString, message);
    ExportHarness h;
    const QString list = h.fixture.configDir() + "/list.txt";
    writeFile(list, entry.toUtf8() + "\r\n");
    h.start(ExportHarness::settings(h.fixture.dataDir(), true, list, "0"));
    QVERIFY(h.download());
    h.competitorAnswer = entry;
    const QString root = QFileInfo(h.fixture.dataDir()).absolutePath();
    const QStringList rootBefore = QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const QStringList programBefore = ExportHarness::filesIn(h.fixture.programDir());
    QStringList expected = ExportHarness::filesIn(h.fixture.dataDir());
    if (!written.isEmpty()) expected << written;
    expected.sort();

    clickDownload(h);

    QCOMPARE(h.proposals.size(), 1);
    QCOMPARE(QFileInfo(h.proposals.first()).absolutePath(), h.fixture.dataDir());
    QCOMPARE(ExportHarness::filesIn(h.fixture.dataDir()), expected);
    QCOMPARE(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), rootBefore);
    QCOMPARE(ExportHarness::filesIn(h.fixture.programDir()), programBefore);
    QCOMPARE(h.sink.infos, message.isEmpty() ? QStringList{} : QStringList{message});
    QVERIFY(h.sink.errors.isEmpty());
}

// A writer that fails: the error names the file, and nothing is left behind.
void ExportFlowWindowTest::writeFailure_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("read-only folder") << "ro" << true;
    QTest::newRow("folder is a file") << "plain" << false;
    QTest::newRow("folder missing") << "gone" << false;
}

void ExportFlowWindowTest::writeFailure() {
    QFETCH(QString, folder);
    QFETCH(bool, readOnly);
    ExportHarness h;
    const QString data = h.fixture.dataDir();
    const QString target = data + "/" + folder;
    if (readOnly) {
        QVERIFY(QDir(data).mkdir(folder));
        QFile::setPermissions(target, QFile::ReadOwner | QFile::ExeOwner);
        QFile probe(target + "/probe");
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QSKIP("this user writes into read-only folders");
        }
    } else if (folder == "plain") {
        writeFile(target, "a file");
    }
    const QString list = h.fixture.configDir() + "/list.txt";
    writeFile(list, "ANNE\r\n");
    h.start(ExportHarness::settings(data, true, list, "0"));
    QVERIFY(h.download());
    h.saveAnswer = ExportHarness::typed(target, "track");
    const QStringList before = ExportHarness::filesIn(data);

    clickDownload(h);

    QCOMPARE(h.sink.errors.size(), 1);
    QVERIFY2(h.sink.errors.first().contains("track.gac"), qPrintable(h.sink.errors.first()));
    QVERIFY(!QFileInfo::exists(target + "/track.gac"));
    QCOMPARE(ExportHarness::filesIn(data), before);
    if (readOnly) {
        QVERIFY(ExportHarness::filesIn(target).isEmpty());
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

void ExportFlowWindowTest::noTrackNothingHappens() {
    ExportHarness h;
    h.start(ExportHarness::settings(h.fixture.dataDir(), false, "", "0"));
    for (int index : {-1, 0, 254}) h.window->StartDownload(index);
    clickDownload(h);
    QVERIFY(ExportHarness::filesIn(h.fixture.dataDir()).isEmpty());
    QCOMPARE(h.sink.count(), 0);
}

// The sectors saved as read and opened in another window give the same tracks and files.
void ExportFlowWindowTest::rawLogRoundTrip() {
    ExportHarness first;
    first.start(ExportHarness::settings(first.fixture.dataDir(), false, "", "0"));
    QVERIFY(first.download());
    QVERIFY(first.window->collection().tracks().size() >= 2);
    const QString raw = first.fixture.dataDir() + "/memory.bin";
    first.rawSavePath = raw;
    first.window->findChild<QAction*>("SaveRawLog1")->trigger();
    QCOMPARE(first.sink.count(), 0);
    const QByteArray memory = kav::sim::encodeFixes(kav::sim::sampleFixes());
    QCOMPARE(head(raw, int(memory.size()) + 1), memory);

    ExportHarness second;
    second.start(ExportHarness::settings(second.fixture.dataDir(), false, "", "0"));
    second.rawOpenPath = raw;
    second.window->findChild<QAction*>("OpenRawLog1")->trigger();
    QCOMPARE(second.sink.count(), 0);
    QVERIFY(spans(*second.window) == spans(*first.window));
    QVERIFY(second.window->findChild<QCheckBox*>("CbTimeFilter")->isChecked());
    QVERIFY(second.window->findChild<QPushButton*>("BtnDownload")->isEnabled());

    // The opened log saves again byte for byte, and exports as the downloaded one did.
    second.rawSavePath = second.fixture.dataDir() + "/again.bin";
    second.window->findChild<QAction*>("SaveRawLog1")->trigger();
    QCOMPARE(head(*second.rawSavePath, int(memory.size()) + 1), memory);
    first.window->StartDownload(1);
    second.window->StartDownload(1);
    const QString name = "/091226.gac";
    QCOMPARE(head(second.fixture.dataDir() + name, 1 << 20),
             head(first.fixture.dataDir() + name, 1 << 20));
}

void ExportFlowWindowTest::openRawLogFailureKeepsLog_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    QTest::newRow("missing file") << QByteArray() << false;
    QTest::newRow("empty file") << QByteArray() << true;
}

void ExportFlowWindowTest::openRawLogFailureKeepsLog() {
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    ExportHarness h;
    h.start(ExportHarness::settings(h.fixture.dataDir(), false, "", "0"));
    QVERIFY(h.download());
    const auto before = spans(*h.window);
    const QString path = h.fixture.dataDir() + "/bad.bin";
    if (exists) writeFile(path, content);
    h.rawOpenPath = path;

    h.window->findChild<QAction*>("OpenRawLog1")->trigger();

    QCOMPARE(h.sink.errors.size(), 1);
    QVERIFY2(h.sink.errors.first().contains(path), qPrintable(h.sink.errors.first()));
    QVERIFY(spans(*h.window) == before);
}

void ExportFlowWindowTest::saveRawLogWithoutSectors() {
    ExportHarness h;
    h.start(ExportHarness::settings(h.fixture.dataDir(), false, "", "0"));
    h.rawSavePath = h.fixture.dataDir() + "/memory.bin";
    h.window->findChild<QAction*>("SaveRawLog1")->trigger();
    QCOMPARE(h.sink.infos, QStringList{"No log sector has been read"});
    QVERIFY(ExportHarness::filesIn(h.fixture.dataDir()).isEmpty());
}

void ExportFlowWindowTest::fileMenuItems() {
    ExportHarness h;
    h.start(ExportHarness::settings(h.fixture.dataDir(), false, "", "0"));
    QStringList texts;
    for (const QAction* action : h.window->findChild<QMenu*>("File1")->actions())
        texts << action->text();
    QCOMPARE(texts, QStringList({"Connect", "Download", "Save the flight only", "Save raw log…",
                                 "Open raw log…", "Exit"}));
}

// The format chosen in the save dialog names the next file made without a dialog.
void ExportFlowWindowTest::dialogFilterCarriesOver() {
    ExportHarness h;
    const QString list = h.fixture.configDir() + "/list.txt";
    writeFile(list, "ANNE\r\n");
    const QString data = h.fixture.dataDir();
    h.start(ExportHarness::settings(data, true, list, "0"));
    QVERIFY(h.download());
    h.saveAnswer = [data](const QString&, int) {
        return std::optional(SaveChoice{data + "/first", 3});
    };
    clickDownload(h);
    h.saveAnswer = [data](const QString&, int) {
        return std::optional(SaveChoice{data + "/second", 0});
    };
    clickDownload(h);
    h.window->parameters().findChild<QCheckBox*>("CbList")->setChecked(false);
    clickDownload(h);
    QCOMPARE(h.filterIndexes, QList<int>({1, 3}));
    QCOMPARE(ExportHarness::filesIn(data), QStringList({"091226.gpx", "first.gpx"}));
    QCOMPARE(h.sink.infos, QStringList{"Extension  unknown "});
}

// "Save the flight only" saves the marked track's flight with a minute on each side.
void ExportFlowWindowTest::flightOnly() {
    ExportHarness h;
    h.now = QDateTime(QDate(2026, 12, 9), QTime(12, 0));
    h.start(ExportHarness::settings(h.fixture.dataDir(), false, "", "3"));
    auto* choice = h.window->findChild<QAction*>("SaveFlightOnly1");
    QVERIFY(!choice->isEnabled());
    QSignalSpy shown(h.window.get(), &TKAVSkyTraqV6::scoresShown);
    QVERIFY(h.download());
    QVERIFY(choice->isEnabled());
    // The marked track's flight is scored off the event loop: in words under the chart, its
    // route on the chart once the result is back.
    const int last = int(h.window->collection().tracks().size()) - 1;
    const auto scored = [&shown, last] {
        return std::any_of(shown.cbegin(), shown.cend(),
                           [last](const QList<QVariant>& s) { return s[0].toInt() == last; });
    };
    while (!scored()) QVERIFY(shown.wait(10000));
    QVERIFY2(h.window->findChild<QLabel*>("LbScore")->text().startsWith(
                 "Flight 1: free distance  18.65 km  18.65 points (xcontest, factor 1.0)\n"),
             qPrintable(h.window->findChild<QLabel*>("LbScore")->text()));
    QCOMPARE(h.window->findChild<kav::browse::TrackPlot*>("PaintBox1")->routes().size(),
             std::size_t(1));
    choice->trigger();
    clickDownload(h);
    const QString path = h.fixture.dataDir() + "/2022-05-10-XXX-567-01.igc";
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const qsizetype records = file.readAll().count("\r\nB");
    const auto& marked = h.window->collection().tracks().back();
    // The 30 s standing at each end lie within the minute kept.
    QCOMPARE(records, qsizetype(marked.last - marked.first + 1));
    QVERIFY(h.window->statusText().startsWith("The flight of track 4"));
}

// A KML file of the flight alone holds its score's turnpoints in a folder named by the score.
void ExportFlowWindowTest::flightOnlyKmlHoldsTurnpoints() {
    ExportHarness h;
    const QString data = h.fixture.dataDir();
    h.start(ExportHarness::settings(data, false, "", "1"));
    QVERIFY(h.download());
    h.window->findChild<QAction*>("SaveFlightOnly1")->trigger();
    clickDownload(h);
    const QStringList files = ExportHarness::filesIn(data);
    QCOMPARE(files.size(), 1);
    QVERIFY(files.front().endsWith(".kml"));
    QFile file(data + "/" + files.front());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray kml = file.readAll();
    QVERIFY(kml.contains("<name>free distance 18.65 km, 18.65 points (xcontest)</name>"));
    QVERIFY(kml.contains("<name>start</name>") && kml.contains("<name>finish</name>"));
}

// The flights read go into the logbook once however often they are read, the file saved for
// one is added to its row, and the Logbook window lists them sorted as asked.
void ExportFlowWindowTest::logbook() {
    ExportHarness h;
    h.start(ExportHarness::settings(h.fixture.dataDir(), false, "", "0"));
    QSignalSpy recorded(h.window.get(), &TKAVSkyTraqV6::logbookRecorded);
    QVERIFY(h.download());
    QVERIFY(recorded.count() > 0 || recorded.wait());
    qsizetype flights = 0;
    for (const auto& inTrack : kav::flight::findLogFlights(h.window->collection()))
        flights += qsizetype(inTrack.size());
    QVERIFY(flights >= 2);
    QVERIFY2(h.window->statusText().endsWith(
                 QString("logbook: %1 new flights, 0 already in it").arg(flights)),
             qPrintable(h.window->statusText()));
    clickDownload(h);  // the marked track, the last: it holds the last flight
    QVERIFY(recorded.count() > 1 || recorded.wait());
    h.rawSavePath = h.fixture.dataDir() + "/memory.bin";
    h.window->findChild<QAction*>("SaveRawLog1")->trigger();
    h.rawOpenPath = h.rawSavePath;
    h.window->findChild<QAction*>("OpenRawLog1")->trigger();
    QVERIFY(recorded.count() > 2 || recorded.wait());
    QVERIFY(
        h.window->statusText().endsWith(QString("0 new flights, %1 already in it").arg(flights)));

    h.window->findChild<QAction*>("Logbook1")->trigger();
    auto* table = h.window->findChild<QTableView*>("LogbookFlights");
    QVERIFY(table && table->isVisible());
    const QAbstractItemModel* rows = table->model();
    QCOMPARE(rows->rowCount(), flights);
    QCOMPARE(rows->index(flights - 1, 10).data().toString(), QString("1"));
    table->sortByColumn(2, Qt::DescendingOrder);  // the longest flight first
    for (int r = 1; r < rows->rowCount(); ++r)
        QVERIFY(rows->index(r - 1, 2).data(Qt::UserRole).toDouble() >=
                rows->index(r, 2).data(Qt::UserRole).toDouble());
    QCOMPARE(h.window->findChild<QTableView*>("LogbookYears")->model()->rowCount(), 1);
    QCOMPARE(h.sink.count(), 0);
}

QTEST_MAIN(ExportFlowWindowTest)
#include "export_flow_window_test.moc"
