#include "export/competitor_list.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace kav::exporting {

namespace {

constexpr int kClientWidth = 270;
constexpr int kClientHeight = 473;
constexpr int kPanelHeight = 45;

}  // namespace

TCompetitorList::TCompetitorList(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CompetitorList"));
    setWindowTitle(QStringLiteral("Competitor list"));
    setToolTip(QStringLiteral("Double click to select"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    ListComp = new QListWidget(this);
    ListComp->setObjectName(QStringLiteral("ListComp"));
    ListComp->setSelectionMode(QAbstractItemView::SingleSelection);
    ListComp->setToolTip(QStringLiteral("Double Clic to valid competitor"));
    connect(ListComp, &QListWidget::itemDoubleClicked, this, &TCompetitorList::ListCompDblClick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ListComp);
    layout->addWidget(buildPanel());
    resize(kClientWidth, kClientHeight);
}

QWidget* TCompetitorList::buildPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFixedHeight(kPanelHeight);
    panel->setAutoFillBackground(true);
    QPalette colours = panel->palette();
    colours.setColor(QPalette::Window, QColor(0x80, 0x00, 0x80));
    panel->setPalette(colours);

    BtnSelect = new QPushButton(QStringLiteral("Select"), panel);
    BtnSelect->setObjectName(QStringLiteral("BtnSelect"));
    BtnSelect->setFlat(true);
    BtnSelect->setAutoFillBackground(true);
    BtnSelect->setEnabled(false);
    BtCancel = new QPushButton(QStringLiteral("Abort"), panel);
    BtCancel->setObjectName(QStringLiteral("BtCancel"));
    connect(BtnSelect, &QPushButton::clicked, this, &TCompetitorList::BtnSelectClick);
    connect(BtCancel, &QPushButton::clicked, this, &TCompetitorList::BtCancelClick);

    auto* row = new QHBoxLayout(panel);
    row->addWidget(BtnSelect);
    row->addStretch();
    row->addWidget(BtCancel);
    return panel;
}

void TCompetitorList::setEntries(const QStringList& entries) {
    ListComp->clear();
    ListComp->addItems(entries);
}

void TCompetitorList::setSelectEnabled(bool enabled) {
    BtnSelect->setEnabled(enabled);
}

void TCompetitorList::ListCompDblClick() {
    const QList<QListWidgetItem*> selected = ListComp->selectedItems();
    if (selected.isEmpty()) return;
    chosen_ = selected.front()->text();
    accept();
}

void TCompetitorList::BtnSelectClick() {
    if (ListComp->selectedItems().isEmpty())
        BtCancelClick();
    else
        ListCompDblClick();
}

void TCompetitorList::BtCancelClick() {
    reject();
}

void TCompetitorList::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred in the screen's work area, not over the main window.
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

std::optional<QString> chooseCompetitor(QWidget* parent, const QString& caption,
                                        const QStringList& entries) {
    TCompetitorList dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setEntries(entries);
    dialog.setSelectEnabled(true);
    dialog.exec();
    dialog.setSelectEnabled(false);
    return dialog.chosen();
}

}  // namespace kav::exporting
