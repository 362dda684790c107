#pragma once
// A titled group of radio buttons built from a list of names, with "nothing selected" allowed.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QVBoxLayout;

namespace kav::app {

class RadioList : public QGroupBox {
    Q_OBJECT
  public:
    explicit RadioList(const QString& title, QWidget* parent = nullptr);

    void setItems(const QStringList& items);  // nothing selected afterwards
    QStringList items() const;
    int selectedIndex() const;         // -1 when nothing is selected
    void setSelectedIndex(int index);  // out of range selects nothing

  private:
    QButtonGroup* group_;
    QVBoxLayout* column_;
    QStringList items_;
};

}  // namespace kav::app
