#pragma once
// The track table: number, start, finish, mark ("þ"/"o" drawn as ticked/empty boxes) and the
// hidden first/last index columns of each track of a LogCollection.

#include <QTableView>

#include "log/track_list.h"

namespace kav::browse {

class TrackTableModel;

class TrackTable : public QTableView {
    Q_OBJECT
  public:
    static constexpr int kRowHeight = 24;
    static constexpr int kFlightColumnWidth = 56;
    // The panel's widths, the flight time column included.
    static constexpr int kWidthWithScrollBar = 389 + kFlightColumnWidth;
    static constexpr int kWidthWithoutScrollBar = 372 + kFlightColumnWidth;
    // The design's column widths (number, start, finish, mark); a wider text widens its column.
    static constexpr int kColumnWidths[] = {22, 138, 130, 77};

    explicit TrackTable(QWidget* parent = nullptr);

    // The collection whose tracks are listed; not owned, only read.
    void setCollection(const kav::log::LogCollection* collection);
    // The collection shown moved to another object with the same tracks: nothing on screen
    // changes.
    void moveCollection(const kav::log::LogCollection* collection);
    // Takes in the rows added or completed since the last call (after each sector); the mark
    // follows the collection's marked track.
    void refresh();
    // InitGrid: unticks the short list (running the filter off), then one blank row, no mark
    // and no box.
    // The window empties the collection itself. When Qt calls it for a model reset it only
    // refreshes the view.
    void reset() override;
    // TraceGridFilter with the box's new state: hides tracks shorter than 600 s when on.
    void setShortList(bool on);
    bool shortList() const { return shortList_; }
    // Whether the "Short list" box should be visible.
    bool shortListBoxWanted() const { return boxWanted_; }
    // The track carrying the mark (the one to export), -1 for none.
    int markedTrack() const;
    // Marks the last track as one whose end has not been read.
    void setLastTrackIncomplete(bool incomplete);
    // Width of the table's panel: the columns, and the vertical scroll bar when it shows.
    int preferredWidth() const { return preferredWidth_; }

    const TrackTableModel* trackModel() const { return model_; }

  signals:
    // The track to plot: the mark moved by a choice in column 3, or the filter ran.
    void trackChosen(int track);
    void preferredWidthChanged(int px);
    void shortListBoxVisibilityChanged(bool visible);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void changeEvent(QEvent* event) override;

  private:
    void setUpLook();
    void TraceGridGT730SelectCell(const QModelIndex& index);
    void showAllRows();
    void fitColumnsToFont();
    void updatePreferredWidth();

    TrackTableModel* model_ = nullptr;
    bool shortList_ = false;
    bool boxWanted_ = false;
    bool mousePressing_ = false;
    bool inModelReset_ = false;
    int preferredWidth_ = 0;
};

}  // namespace kav::browse
