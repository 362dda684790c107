#include "app/logbook_window.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "app/named_widget.h"
#include "logbook/logbook_totals.h"

namespace kav::app {

namespace {

constexpr int kSortRole = Qt::UserRole;

const QStringList kFlightColumns{QStringLiteral("Take-off (UTC)"),
                                 QStringLiteral("Landing"),
                                 QStringLiteral("Duration"),
                                 QStringLiteral("Logger"),
                                 QStringLiteral("Score"),
                                 QStringLiteral("Distance (km)"),
                                 QStringLiteral("Points"),
                                 QStringLiteral("Max height (m)"),
                                 QStringLiteral("Height gain (m)"),
                                 QStringLiteral("Track (km)"),
                                 QStringLiteral("Files")};

const QStringList kYearColumns{QStringLiteral("Year"), QStringLiteral("Flights"),
                               QStringLiteral("Hours"), QStringLiteral("Best distance (km)")};

// A cell showing text, sorted by value.
QStandardItem* cell(const QString& text, const QVariant& value) {
    auto* item = new QStandardItem(text);
    item->setData(value, kSortRole);
    item->setEditable(false);
    return item;
}

QStandardItem* number(double value, int decimals) {
    QStandardItem* item = cell(QLocale().toString(value, 'f', decimals), value);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QString hoursText(double seconds) {
    const qint64 minutes = qRound64(seconds / 60);
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar(u'0'));
}

QList<QStandardItem*> flightRow(const logbook::LoggedFlight& f) {
    const double seconds = double(f.takeoff.secsTo(f.landing));
    // The landing's date only when it is not the take-off's.
    const QString landingFormat = f.landing.toUTC().date() == f.takeoff.toUTC().date()
                                      ? QStringLiteral("HH:mm:ss")
                                      : QStringLiteral("yyyy-MM-dd HH:mm:ss");
    QStandardItem* files = cell(QString::number(f.files.size()), int(f.files.size()));
    files->setToolTip(QDir::toNativeSeparators(f.files.join(u'\n')));
    return {cell(f.takeoff.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), f.takeoff),
            cell(f.landing.toUTC().toString(landingFormat), f.landing),
            cell(hoursText(seconds), seconds),
            cell(f.serialNumber, f.serialNumber),
            cell(flight::scoreTypeName(f.score.type), int(f.score.type)),
            number(f.score.km, 1),
            number(f.score.points, 1),
            number(f.stats.maxHeight, 0),
            number(f.stats.heightGain, 0),
            number(f.stats.trackKm, 1),
            files};
}

}  // namespace

LogbookWindow::LogbookWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("LogbookWindow"));
    setWindowTitle(QStringLiteral("Logbook"));
    auto* layout = new QVBoxLayout(this);
    source_ = named(new QLabel(this), "LogbookPath");
    layout->addWidget(source_);
    flights_ = new QStandardItemModel(0, int(kFlightColumns.size()), this);
    flights_->setHorizontalHeaderLabels(kFlightColumns);
    layout->addWidget(addTable("LogbookFlights", flights_), 3);
    years_ = new QStandardItemModel(0, int(kYearColumns.size()), this);
    years_->setHorizontalHeaderLabels(kYearColumns);
    layout->addWidget(addTable("LogbookYears", years_), 1);
    resize(900, 500);
}

QTableView* LogbookWindow::addTable(const char* name, QStandardItemModel* model) {
    auto* sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(model);
    sorted->setSortRole(kSortRole);
    auto* table = named(new QTableView(this), name);
    table->setModel(sorted);
    table->setSortingEnabled(true);
    table->sortByColumn(0, Qt::AscendingOrder);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return table;
}

void LogbookWindow::showFlights(const std::vector<logbook::LoggedFlight>& flights,
                                const QString& path) {
    source_->setText(
        QStringLiteral("%1 flights in %2").arg(flights.size()).arg(QDir::toNativeSeparators(path)));
    flights_->removeRows(0, flights_->rowCount());
    for (const logbook::LoggedFlight& f : flights) flights_->appendRow(flightRow(f));
    years_->removeRows(0, years_->rowCount());
    for (const logbook::YearTotals& y : logbook::yearTotals(flights))
        years_->appendRow({cell(QString::number(y.year), y.year), number(y.flights, 0),
                           cell(hoursText(y.seconds), y.seconds), number(y.bestKm, 1)});
}

}  // namespace kav::app
