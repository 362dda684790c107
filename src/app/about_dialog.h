#pragma once
// The About box: product, version and date, and where to send bug reports.

#include <QDialog>

class QLabel;

namespace kav::app {

class TAboutGT730 : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutGT730(QWidget* parent = nullptr);

    // Filled before each showing with the program's version.
    void setVersion(const QString& version);
    QString version() const;

  private:
    QLabel* Version;
};

}  // namespace kav::app
