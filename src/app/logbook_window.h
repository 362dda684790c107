#pragma once
// The Logbook window: every flight kept, in a table sorted by any column, and beneath it the
// totals of each year (flights, hours, best distance).

#include <vector>

#include <QDialog>

#include "logbook/logged_flight.h"

class QLabel;
class QStandardItemModel;
class QTableView;

namespace kav::app {

class LogbookWindow : public QDialog {
    Q_OBJECT
  public:
    explicit LogbookWindow(QWidget* parent = nullptr);

    // Shows flights, read from the logbook at path.
    void showFlights(const std::vector<logbook::LoggedFlight>& flights, const QString& path);

  private:
    QTableView* addTable(const char* name, QStandardItemModel* model);

    QStandardItemModel* flights_ = nullptr;
    QStandardItemModel* years_ = nullptr;
    QLabel* source_ = nullptr;
};

}  // namespace kav::app
