// The competitor list dialog: Select, Abort and double click.
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "export/competitor_list.h"

using kav::exporting::TCompetitorList;

class CompetitorListTest : public QObject {
    Q_OBJECT
  private slots:
    void createdState();
    void closing_data();
    void closing();
    void entriesUnchanged();
    void modalChoice();
};

void CompetitorListTest::createdState() {
    TCompetitorList dialog;
    QCOMPARE(dialog.windowTitle(), QString("Competitor list"));
    auto* select = dialog.findChild<QPushButton*>("BtnSelect");
    QVERIFY(select && !select->isEnabled());
    QCOMPARE(select->text(), QString("Select"));
    QCOMPARE(dialog.findChild<QPushButton*>("BtCancel")->text(), QString("Abort"));
    QCOMPARE(dialog.size(), QSize(270, 473));
}

// How the dialog is closed, with which row selected (-1: none), and what it gives.
void CompetitorListTest::closing_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("select") << "select" << 2 << int(QDialog::Accepted) << "F-042 PILOT";
    QTest::newRow("select, nothing selected is abort")
        << "select" << -1 << int(QDialog::Rejected) << QString();
    QTest::newRow("double click") << "double" << 0 << int(QDialog::Accepted) << "ANNE";
    QTest::newRow("double click, nothing selected stays open")
        << "double-none" << -1 << -1 << QString();
    QTest::newRow("abort keeps nothing") << "abort" << 1 << int(QDialog::Rejected) << QString();
    QTest::newRow("system close is abort") << "close" << 1 << int(QDialog::Rejected) << QString();
}

void CompetitorListTest::closing() {
    QFETCH(QString, action);
    QFETCH(int, row);
    QFETCH(int, result);
    QFETCH(QString, chosen);
    TCompetitorList dialog;
    dialog.setEntries({"ANNE", "", "F-042 PILOT"});
    dialog.setSelectEnabled(true);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* list = dialog.findChild<QListWidget*>("ListComp");
    if (row >= 0) list->setCurrentRow(row);
    if (action == "select") {
        QTest::mouseClick(dialog.findChild<QPushButton*>("BtnSelect"), Qt::LeftButton);
    } else if (action == "double") {
        const QRect cell = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    } else if (action == "double-none") {
        // A double click below the entries chooses nothing.
        const QPoint empty(4, list->viewport()->height() - 4);
        QVERIFY(!list->itemAt(empty));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, empty);
    } else if (action == "abort") {
        QTest::mouseClick(dialog.findChild<QPushButton*>("BtCancel"), Qt::LeftButton);
    } else {
        dialog.close();
    }
    if (result < 0) {
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.chosen());
        return;
    }
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), result);
    QCOMPARE(dialog.chosen().value_or(QString()), chosen);
    QCOMPARE(dialog.chosen().has_value(), !chosen.isEmpty());
}

void CompetitorListTest::entriesUnchanged() {
    TCompetitorList dialog;
    const QStringList entries{" lead blank", "", "trail ", "a;b,c"};
    dialog.setEntries(entries);
    auto* list = dialog.findChild<QListWidget*>("ListComp");
    QStringList shown;
    for (int i = 0; i < list->count(); ++i) shown << list->item(i)->text();
    QCOMPARE(shown, entries);
}

// The flow's modal use: caption and entries set, Select enabled while shown.
void CompetitorListTest::modalChoice() {
    bool selectEnabled = false;
    QString caption;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<TCompetitorList*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        caption = dialog->windowTitle();
        auto* select = dialog->findChild<QPushButton*>("BtnSelect");
        selectEnabled = select->isEnabled();
        dialog->findChild<QListWidget*>("ListComp")->setCurrentRow(1);
        select->click();
    });
    const auto chosen =
        kav::exporting::chooseCompetitor(nullptr, "list.txt", {"ANNE", "BRUNO", "CLARA"});
    QCOMPARE(caption, QString("list.txt"));
    QVERIFY(selectEnabled);
    QCOMPARE(chosen.value_or(QString()), QString("BRUNO"));
}

QTEST_MAIN(CompetitorListTest)
#include "competitor_list_test.moc"
