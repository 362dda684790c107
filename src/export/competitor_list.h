#pragma once
// The competitor list dialog: the start list's lines, one of which names the saved file.

#include <optional>

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

namespace kav::exporting {

class TCompetitorList : public QDialog {
    Q_OBJECT
  public:
    explicit TCompetitorList(QWidget* parent = nullptr);

    // The list's entries, in order and unchanged.
    void setEntries(const QStringList& entries);
    // The flow enables Select while the dialog is shown, and disables it after.
    void setSelectEnabled(bool enabled);
    // The entry chosen by Select or a double click; nothing after Abort or a close.
    std::optional<QString> chosen() const { return chosen_; }

    void ListCompDblClick();
    void BtnSelectClick();
    void BtCancelClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* buildPanel();

    QListWidget* ListComp = nullptr;
    QPushButton* BtnSelect = nullptr;
    QPushButton* BtCancel = nullptr;
    std::optional<QString> chosen_;
};

// Shows the dialog modally with caption and entries; the chosen entry, if any.
std::optional<QString> chooseCompetitor(QWidget* parent, const QString& caption,
                                        const QStringList& entries);

}  // namespace kav::exporting
