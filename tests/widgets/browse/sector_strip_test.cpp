// The sector strip: CloneShape's layout at every width, and colours kept across re-layouts.
#include <QImage>
#include <QtTest>

#include "browse/sector_strip.h"

using kav::browse::blockRect;
using kav::browse::SectorStrip;
using kav::browse::stripLayout;

namespace {

const QColor kRed(255, 0, 0);
const QColor kSilver(192, 192, 192);

QColor pixelOfBlock(SectorStrip& strip, int i) {
    const QImage image = strip.grab().toImage();
    return image.pixelColor(blockRect(strip.layout(), i).center());
}

}  // namespace

class SectorStripTest : public QObject {
    Q_OBJECT
  private slots:
    void layout_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("perRow");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("height");
        QTest::newRow("1000 px") << 1000 << 143 << 4 << 30;
        QTest::newRow("exact multiple") << 7 * 128 << 129 << 4 << 30;
        QTest::newRow("35 px") << 35 << 6 << 103 << 723;
        QTest::newRow("one block") << 7 << 2 << 512 << 3586;
        QTest::newRow("under 7 px") << 6 << 1 << 512 << 3586;
        QTest::newRow("zero") << 0 << 1 << 512 << 3586;
        QTest::newRow("negative") << -20 << 1 << 512 << 3586;
        QTest::newRow("very wide") << 4000 << 572 << 1 << 9;
    }
    void layout() {
        QFETCH(int, width);
        QFETCH(int, perRow);
        QFETCH(int, rows);
        QFETCH(int, height);
        const auto l = stripLayout(width);
        QCOMPARE(l.blocksPerRow, perRow);
        QCOMPARE(l.rows, rows);
        QCOMPARE(l.height, height);
    }

    void blockPositions_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("block");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("first") << 1000 << 0 << QPoint(2, 2);
        QTest::newRow("last of row 0") << 1000 << 142 << QPoint(2 + 7 * 142, 2);
        QTest::newRow("first of row 1") << 1000 << 143 << QPoint(2, 9);
        QTest::newRow("last block") << 1000 << 511 << QPoint(2 + 7 * 82, 23);
        QTest::newRow("single column") << 3 << 511 << QPoint(2, 2 + 7 * 511);
    }
    void blockPositions() {
        QFETCH(int, width);
        QFETCH(int, block);
        QFETCH(QPoint, topLeft);
        const QRect r = blockRect(stripLayout(width), block);
        QCOMPARE(r.topLeft(), topLeft);
        QCOMPARE(r.size(), QSize(7, 7));
    }

    // At no width does a block fall below the panel's height.
    void everyBlockInsideThePanel() {
        for (int width = -7; width <= 4000; ++width) {
            const auto l = stripLayout(width);
            QVERIFY2(blockRect(l, 511).bottom() < l.height, qPrintable(QString::number(width)));
        }
    }

    void colourRules() {
        SectorStrip strip;
        strip.setUsedSectors(100);
        QCOMPARE(strip.blockColour(0), kRed);
        QCOMPARE(strip.blockColour(99), kRed);
        QCOMPARE(strip.blockColour(100), kSilver);
        QVERIFY(!strip.blockColour(-1).isValid());
        QVERIFY(!strip.blockColour(512).isValid());
        // A smaller logger after a larger one: the strip shows the one in hand.
        strip.setUsedSectors(17);
        QCOMPARE(strip.blockColour(16), kRed);
        QCOMPARE(strip.blockColour(17), kSilver);
        strip.setUsedSectors(0);
        QCOMPARE(strip.blockColour(0), kSilver);
        strip.setUsedSectors(5);
        strip.resetColours();
        QCOMPARE(strip.blockColour(0), kSilver);
        strip.setUsedSectors(-3);
        QCOMPARE(strip.blockColour(0), kSilver);
        strip.setUsedSectors(600);
        QCOMPARE(strip.blockColour(511), kRed);
    }

    void heightFollowsWidthAndColoursSurvive() {
        SectorStrip strip;
        strip.setUsedSectors(150);
        strip.resize(1000, 32);
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        QCOMPARE(strip.height(), 30);
        QCOMPARE(pixelOfBlock(strip, 149), kRed);
        QCOMPARE(pixelOfBlock(strip, 150), kSilver);

        strip.resize(300, strip.height());
        QCOMPARE(strip.layout().blocksPerRow, 43);
        QCOMPARE(strip.height(), 7 * 13 + 2);
        QCOMPARE(pixelOfBlock(strip, 149), kRed);
        QCOMPARE(pixelOfBlock(strip, 150), kSilver);
        const QImage image = strip.grab().toImage();
        QCOMPARE(image.pixelColor(blockRect(strip.layout(), 150).topLeft()), QColor(Qt::black));
        QCOMPARE(image.pixelColor(0, 0), QColor(Qt::white));

        strip.resize(3, strip.height());  // narrower than one block: one block a row
        QCOMPARE(strip.height(), 3586);
        QCOMPARE(strip.blockColour(149), kRed);
    }
};

QTEST_MAIN(SectorStripTest)
#include "sector_strip_test.moc"
