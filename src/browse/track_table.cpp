#include "browse/track_table.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

#include "browse/short_list_filter.h"
#include "browse/track_cell_delegate.h"
#include "browse/track_table_model.h"
#include "browse/track_time_text.h"
#include "log/gps_time.h"

namespace kav::browse {
namespace {

// The widest texts a column holds: many tracks, a two-digit day, month and hour, and the
// incomplete mark after the finish.
QString widestText(int column, const QLocale& locale) {
    const QDateTime sample(QDate(2028, 12, 28), QTime(20, 48, 58), Qt::UTC);
    const QString time = trackTimeText(kav::log::fromQDateTime(sample), locale);
    switch (column) {
        case ColNumber:
            return QStringLiteral("888");
        case ColStart:
            return time;
        case ColFinish:
            return time + kIncompleteMark;
        default:
            return {};
    }
}

}  // namespace

TrackTable::TrackTable(QWidget* parent) : QTableView(parent) {
    model_ = new TrackTableModel(this);
    model_->setLocale(locale());
    // Qt calls reset() on every model reset; that one only refreshes the view (see reset()).
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { inModelReset_ = true; });
    setModel(model_);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { inModelReset_ = false; });
    setUpLook();
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this,
            &TrackTable::updatePreferredWidth);
    updatePreferredWidth();
}

void TrackTable::setUpLook() {
    setHorizontalHeader(new TrackHeaderView(this));
    setItemDelegate(new TrackCellDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setFixedHeight(kRowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    fitColumnsToFont();
    setColumnHidden(ColFirst, true);
    setColumnHidden(ColLast, true);
    setColumnWidth(ColFlight, kFlightColumnWidth);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setShowGrid(false);
    setFrameShape(QFrame::NoFrame);
    setWordWrap(false);
}

void TrackTable::setCollection(const kav::log::LogCollection* collection) {
    model_->setCollection(collection);
    showAllRows();
}

void TrackTable::moveCollection(const kav::log::LogCollection* collection) {
    model_->moveCollection(collection);
}

void TrackTable::setLastTrackIncomplete(bool incomplete) {
    model_->setLastIncomplete(incomplete);
}

void TrackTable::refresh() {
    model_->sync();
}

void TrackTable::reset() {
    if (inModelReset_) {
        inModelReset_ = false;
        QTableView::reset();
        return;
    }
    if (shortList_) setShortList(false);
    model_->clearRows();
    // An empty table hides nothing: the box goes with the tracks.
    if (boxWanted_) {
        boxWanted_ = false;
        emit shortListBoxVisibilityChanged(false);
    }
}

void TrackTable::setShortList(bool on) {
    shortList_ = on;
    const ShortListResult result =
        TraceGridFilter({model_->tracks(), model_->mark(), on, boxWanted_});
    for (int r = 0; r < int(result.hidden.size()); ++r) setRowHidden(r, result.hidden[r]);
    model_->setMark(result.mark);
    if (result.boxWanted != boxWanted_) {
        boxWanted_ = result.boxWanted;
        emit shortListBoxVisibilityChanged(boxWanted_);
    }
    if (result.plotTrack >= 0) emit trackChosen(result.plotTrack);
}

int TrackTable::markedTrack() const {
    return model_->mark();
}

void TrackTable::showAllRows() {
    for (int r = 0; r < model_->rowCount(); ++r) setRowHidden(r, false);
}

void TrackTable::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    mousePressing_ = true;
    QTableView::mousePressEvent(event);
    mousePressing_ = false;
    if (event->button() == Qt::LeftButton) TraceGridGT730SelectCell(index);
}

void TrackTable::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (!mousePressing_) TraceGridGT730SelectCell(current);
}

void TrackTable::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::LocaleChange && model_) model_->setLocale(locale());
    if (event->type() == QEvent::LocaleChange || event->type() == QEvent::FontChange)
        fitColumnsToFont();
}

// Each column as wide as the design says, or as its widest text in the cell font needs.
void TrackTable::fitColumnsToFont() {
    for (int c = 0; c < int(std::size(kColumnWidths)); ++c) {
        const QFontMetrics metrics(cellFont(font(), c));
        const int needed = metrics.horizontalAdvance(widestText(c, locale())) + kCellTextPadding;
        setColumnWidth(c, std::max(kColumnWidths[c], needed));
    }
    updatePreferredWidth();
}

void TrackTable::TraceGridGT730SelectCell(const QModelIndex& index) {
    // Only the mark column of a row with a finish chooses; any other cell just selects.
    if (!index.isValid() || index.column() != ColMark || !model_->track(index.row())) return;
    model_->setMark(index.row());
    emit trackChosen(index.row());
}

void TrackTable::updatePreferredWidth() {
    // At the design's column widths: 372 px, and 389 px with the scroll bar.
    int columns = 0;
    for (int c = 0; c < int(std::size(kColumnWidths)); ++c)
        columns += columnWidth(c) - kColumnWidths[c];
    const QScrollBar* bar = verticalScrollBar();
    const bool barShown = bar->maximum() > bar->minimum();
    const int barWidth =
        std::max(kWidthWithScrollBar - kWidthWithoutScrollBar, bar->sizeHint().width());
    const int width = kWidthWithoutScrollBar + columns + (barShown ? barWidth : 0);
    if (width == preferredWidth_) return;
    preferredWidth_ = width;
    emit preferredWidthChanged(width);
}

}  // namespace kav::browse
