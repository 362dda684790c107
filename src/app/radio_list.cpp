#include "app/radio_list.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace kav::app {

RadioList::RadioList(const QString& title, QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)) {
    // Many folders scroll instead of growing the dialog.
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* inner = new QWidget(scroll);
    column_ = new QVBoxLayout(inner);
    column_->setContentsMargins(2, 2, 2, 2);
    column_->addStretch();
    scroll->setWidget(inner);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(scroll);
}

void RadioList::setItems(const QStringList& items) {
    for (QAbstractButton* button : group_->buttons()) {
        group_->removeButton(button);
        delete button;
    }
    items_ = items;
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i]);
        group_->addButton(button, i);
        column_->insertWidget(i, button);
    }
}

QStringList RadioList::items() const {
    return items_;
}

int RadioList::selectedIndex() const {
    return group_->checkedId();
}

void RadioList::setSelectedIndex(int index) {
    if (QAbstractButton* button = group_->button(index)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group cannot be emptied by unchecking; lift exclusivity for a moment.
    group_->setExclusive(false);
    for (QAbstractButton* each : group_->buttons()) each->setChecked(false);
    group_->setExclusive(true);
}

}  // namespace kav::app
