// The track table: rows and texts, choosing a track, the short-list filter and the panel width.
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include "browse/track_table.h"
#include "browse/track_table_model.h"
#include "test_log.h"

using kav::browse::TrackTable;
using kav::browse::testing::kMondayMidnight;
using kav::browse::testing::makeLog;
using kav::browse::testing::TrackSpan;

namespace {

constexpr uint32_t kTen = kMondayMidnight + 10 * 3600;  // Monday 10:00 UTC

// Tracks of the given lengths, one after the other with an hour between their starts.
std::vector<TrackSpan> spans(const QList<int>& seconds, uint32_t from = kTen) {
    std::vector<TrackSpan> out;
    for (int s : seconds) {
        out.push_back({from, uint32_t(s), 20});
        from += 3600;
    }
    return out;
}

QString cell(const TrackTable& t, int row, int column) {
    return t.model()->index(row, column).data().toString();
}

QList<bool> hiddenRows(const TrackTable& t) {
    QList<bool> out;
    for (int r = 0; r < t.model()->rowCount(); ++r) out << t.isRowHidden(r);
    return out;
}

void click(TrackTable& t, int row, int column) {
    const QRect r = t.visualRect(t.model()->index(row, column));
    QTest::mouseClick(t.viewport(), Qt::LeftButton, {}, r.center());
}

// A shown table over the collection, French dates.
struct Fixture {
    kav::log::LogCollection log;
    TrackTable table;
    explicit Fixture(const std::vector<TrackSpan>& tracks, QSize size = {380, 400})
        : log(makeLog(tracks)) {
        table.setLocale(QLocale(QLocale::French, QLocale::France));
        table.resize(size);
        table.setCollection(&log);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
    }
};

}  // namespace

class TrackTableTest : public QObject {
    Q_OBJECT
  private slots:
    void rowsAndTexts() {
        Fixture f(spans({600, 100}));
        QCOMPARE(f.table.model()->rowCount(), 2);
        const QStringList row0{"1", "22/04/2019 10:00:00", "22/04/2019 10:10:00", "o", "0", "30"};
        const QStringList row1{"2", "22/04/2019 11:00:00", "22/04/2019 11:01:40", "þ", "31", "36"};
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(cell(f.table, 0, c), row0[c]);
            QCOMPARE(cell(f.table, 1, c), row1[c]);
        }
        QCOMPARE(f.table.markedTrack(), 1);
        const QStringList headers{"", "Start", "Finish", "Download"};
        for (int c = 0; c < 4; ++c)
            QCOMPARE(f.table.model()->headerData(c, Qt::Horizontal).toString(), headers[c]);
        QVERIFY(f.table.isColumnHidden(4) && f.table.isColumnHidden(5));
        QCOMPARE(f.table.rowHeight(0), 24);
        QCOMPARE(f.table.columnWidth(1), 138);
    }

    // Rows grow and complete sector by sector; the mark follows the newest track.
    void refreshTakesInNewRows() {
        kav::log::LogCollection log;
        TrackTable table;
        table.setCollection(&log);
        QCOMPARE(table.model()->rowCount(), 1);  // the blank row
        QCOMPARE(cell(table, 0, 0), QString());
        const auto sector = [](uint32_t tow) {
            auto r = kav::browse::testing::fullRecord(tow, 4135000, 106000, 4838000);
            r.resize(4096, 0xFF);
            return r;
        };
        log.SavePacket(sector(kTen));
        table.refresh();
        QCOMPARE(table.model()->rowCount(), 1);
        QCOMPARE(cell(table, 0, 0), QString("1"));
        log.SavePacket(sector(kTen + 20));
        log.SavePacket(sector(kTen + 100));
        table.refresh();
        QCOMPARE(table.model()->rowCount(), 2);
        QCOMPARE(cell(table, 0, 5), QString("1"));
        QCOMPARE(table.markedTrack(), 1);
        QCOMPARE(cell(table, 1, 3), QString("þ"));
        QCOMPARE(cell(table, 0, 3), QString("o"));
    }

    void choosing_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("mark");
        QTest::addColumn<bool>("emitted");
        QTest::newRow("mark column moves the mark") << 0 << 3 << 0 << true;
        QTest::newRow("marked row again") << 2 << 3 << 2 << true;
        QTest::newRow("start column only selects") << 0 << 1 << 2 << false;
        QTest::newRow("number column only selects") << 1 << 0 << 2 << false;
    }
    void choosing() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, mark);
        QFETCH(bool, emitted);
        Fixture f(spans({700, 700, 700}));
        QSignalSpy chosen(&f.table, &TrackTable::trackChosen);
        click(f.table, row, column);
        QCOMPARE(f.table.markedTrack(), mark);
        QCOMPARE(chosen.count(), emitted ? 1 : 0);
        if (emitted) QCOMPARE(chosen.at(0).at(0).toInt(), row);
        QVERIFY(f.table.selectionModel()->isRowSelected(row, {}));
        for (int r = 0; r < 3; ++r) QCOMPARE(cell(f.table, r, 3), QString(r == mark ? "þ" : "o"));
    }

    // Clicking the chosen cell again after the filter moved the mark still chooses.
    void choosingTheSameCellTwice() {
        Fixture f(spans({700, 100, 700}));
        click(f.table, 1, 3);
        f.table.setShortList(true);  // hides track 1, the mark goes to the last shown
        QCOMPARE(f.table.markedTrack(), 2);
        f.table.setShortList(false);
        QCOMPARE(f.table.markedTrack(), 2);
        QSignalSpy chosen(&f.table, &TrackTable::trackChosen);
        click(f.table, 1, 3);
        QCOMPARE(f.table.markedTrack(), 1);
        QCOMPARE(chosen.count(), 1);
    }

    void keyboardIntoMarkColumnChooses() {
        Fixture f(spans({700, 700}));
        click(f.table, 0, 2);
        QSignalSpy chosen(&f.table, &TrackTable::trackChosen);
        QTest::keyClick(f.table.viewport(), Qt::Key_Right);
        QCOMPARE(f.table.currentIndex().column(), 3);
        QCOMPARE(f.table.markedTrack(), 0);
        QCOMPARE(chosen.count(), 1);
    }

    void blankRowDoesNothing() {
        Fixture f(spans({700}));
        f.table.reset();
        QCOMPARE(f.table.model()->rowCount(), 1);
        QCOMPARE(f.table.markedTrack(), -1);
        QSignalSpy chosen(&f.table, &TrackTable::trackChosen);
        click(f.table, 0, 3);
        QCOMPARE(chosen.count(), 0);
        QCOMPARE(f.table.markedTrack(), -1);
        QCOMPARE(cell(f.table, 0, 3), QString());
    }

    void shortList_data() {
        QTest::addColumn<QList<int>>("lengths");
        QTest::addColumn<int>("markBefore");
        QTest::addColumn<QList<bool>>("hidden");
        QTest::addColumn<int>("mark");
        QTest::addColumn<int>("plotted");
        QTest::addColumn<bool>("box");
        QTest::newRow("600 s kept, 599 s hidden")
            << QList<int>{600, 599} << 1 << QList<bool>{false, true} << 0 << 0 << true;
        QTest::newRow("all short")
            << QList<int>{100, 200} << 1 << QList<bool>{true, true} << -1 << 1 << true;
        QTest::newRow("none short")
            << QList<int>{700, 800} << 1 << QList<bool>{false, false} << 1 << 1 << false;
        // The last row shown: the box still stays, so the short track can come back.
        QTest::newRow("earlier short, last long")
            << QList<int>{100, 700} << 1 << QList<bool>{true, false} << 1 << 1 << true;
        QTest::newRow("mark kept on a shown track")
            << QList<int>{700, 100, 800} << 0 << QList<bool>{false, true, false} << 0 << 0 << true;
        QTest::newRow("mark moves to the last shown")
            << QList<int>{700, 800, 100} << 2 << QList<bool>{false, false, true} << 1 << 1 << true;
    }
    void shortList() {
        QFETCH(QList<int>, lengths);
        QFETCH(int, markBefore);
        QFETCH(QList<bool>, hidden);
        QFETCH(int, mark);
        QFETCH(int, plotted);
        QFETCH(bool, box);
        Fixture f(spans(lengths));
        if (markBefore != f.table.markedTrack()) click(f.table, markBefore, 3);
        QSignalSpy chosen(&f.table, &TrackTable::trackChosen);
        QSignalSpy boxSpy(&f.table, &TrackTable::shortListBoxVisibilityChanged);
        f.table.setShortList(true);
        QCOMPARE(hiddenRows(f.table), hidden);
        QCOMPARE(f.table.markedTrack(), mark);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.at(0).at(0).toInt(), plotted);
        QCOMPARE(f.table.shortListBoxWanted(), box);
        QCOMPARE(boxSpy.count(), box ? 1 : 0);

        // Unticking shows every row again; the box and the mark stay where they were.
        f.table.setShortList(false);
        QCOMPARE(hiddenRows(f.table), QList<bool>(lengths.size(), false));
        QCOMPARE(f.table.shortListBoxWanted(), box);
        QCOMPARE(f.table.markedTrack(), mark >= 0 ? mark : int(lengths.size()) - 1);
    }

    // Track lengths come from the full date-times of their first and last fixes.
    void lengthsAcrossMidnightAndFromTheLogStart_data() {
        QTest::addColumn<uint32_t>("start");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("crosses midnight, 700 s") << kMondayMidnight - 300 << 700 << false;
        QTest::newRow("crosses midnight, 500 s") << kMondayMidnight - 300 << 500 << true;
        QTest::newRow("at log index 0, 10:00, 100 s") << kTen << 100 << true;
        QTest::newRow("at log index 0, 00:00:30, 600 s") << kMondayMidnight + 30 << 600 << false;
    }
    void lengthsAcrossMidnightAndFromTheLogStart() {
        QFETCH(uint32_t, start);
        QFETCH(int, seconds);
        QFETCH(bool, hidden);
        Fixture f({{start, uint32_t(seconds), 20}, {start + 7200, 900, 20}});
        QCOMPARE(f.table.model()->index(0, 4).data().toString(), QString("0"));
        f.table.setShortList(true);
        QCOMPARE(f.table.isRowHidden(0), hidden);
    }

    void resetUnticksAndEmpties() {
        Fixture f(spans({100, 700}));
        f.table.setShortList(true);
        QSignalSpy chosen(&f.table, &TrackTable::trackChosen);
        f.table.reset();
        QVERIFY(!f.table.shortList());
        QCOMPARE(chosen.count(), 1);  // the filter ran once with the box unticked
        QCOMPARE(f.table.model()->rowCount(), 1);
        QVERIFY(!f.table.isRowHidden(0));
        QCOMPARE(f.table.markedTrack(), -1);
        QVERIFY(!f.table.shortListBoxWanted());  // nothing left to hide
    }

    // No limit on the number of tracks.
    void manyTracks() {
        QList<int> lengths(300, 20);
        Fixture f(spans(lengths));
        QCOMPARE(f.table.model()->rowCount(), 300);
        QCOMPARE(cell(f.table, 299, 0), QString("300"));
        QCOMPARE(f.table.markedTrack(), 299);
    }

    void panelWidth_data() {
        QTest::addColumn<int>("tracks");
        QTest::addColumn<int>("width");
        QTest::newRow("fits: no scroll bar") << 3 << 372 + TrackTable::kFlightColumnWidth;
        QTest::newRow("too many: scroll bar") << 40 << 389 + TrackTable::kFlightColumnWidth;
    }
    void panelWidth() {
        QFETCH(int, tracks);
        QFETCH(int, width);
        Fixture f(spans(QList<int>(tracks, 20)), QSize(380, 300));
        QTRY_COMPARE(f.table.preferredWidth(), width);
        QCOMPARE(f.table.verticalScrollBar()->isVisible(),
                 width == 389 + TrackTable::kFlightColumnWidth);
    }

    void panelWidthSignalFollowsTheScrollBar() {
        Fixture f(spans({20, 20}), QSize(380, 300));
        QTRY_COMPARE(f.table.preferredWidth(), 372 + TrackTable::kFlightColumnWidth);
        QSignalSpy widths(&f.table, &TrackTable::preferredWidthChanged);
        f.table.resize(380, 60);
        QTRY_COMPARE(f.table.preferredWidth(), 389 + TrackTable::kFlightColumnWidth);
        QCOMPARE(widths.count(), 1);
        QCOMPARE(widths.at(0).at(0).toInt(), 389 + TrackTable::kFlightColumnWidth);
    }

    void cellColours() {
        Fixture f(spans({700, 700, 700}), QSize(380, 200));
        click(f.table, 2, 1);
        const QImage image = f.table.viewport()->grab().toImage();
        auto inside = [&](int row, int column) {
            const QRect r = f.table.visualRect(f.table.model()->index(row, column));
            return image.pixelColor(r.right() - 3, r.bottom() - 4);
        };
        QCOMPARE(inside(0, 2), QColor(255, 255, 255));
        QCOMPARE(inside(1, 2), QColor(225, 255, 244));
        QCOMPARE(inside(2, 2), QColor(255, 184, 149));
        QCOMPARE(inside(0, 0), QColor(215, 185, 216));
        const QRect r = f.table.visualRect(f.table.model()->index(0, 2));
        QCOMPARE(image.pixelColor(r.left() + 5, r.top()), QColor(Qt::black));
    }
};

QTEST_MAIN(TrackTableTest)
#include "track_table_test.moc"
