#pragma once
// The rows of the track table over a LogCollection: number, start, finish, mark, first, last.

#include <optional>
#include <span>
#include <vector>

#include <QAbstractTableModel>
#include <QLocale>

#include "flight/flight_detector.h"
#include "log/track_list.h"

namespace kav::browse {

// Column roles of the track table.
enum TrackColumn {
    ColNumber = 0,
    ColStart,
    ColFinish,
    ColMark,
    ColFirst,
    ColLast,
    ColFlight,  // take-off to landing of the track's flights, blank without one
    ColCount
};

inline const QString kMarkOn = QStringLiteral("þ");
inline const QString kMarkOff = QStringLiteral("o");
inline const QString kIncompleteMark = QStringLiteral(" \u2026");

// Shows the tracks the collection had at the last sync(); with none, one blank row
// (the row a reset leaves). The mark is kept here: the collection is only read.
class TrackTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit TrackTableModel(QObject* parent = nullptr);

    void setCollection(const kav::log::LogCollection* collection);
    // The same tracks, now held by another object: rows, mark and marks of incompleteness stay.
    void moveCollection(const kav::log::LogCollection* collection) { collection_ = collection; }
    // Takes in rows added or completed since the last call; the mark follows the collection's.
    void sync();
    // Back to the blank row, no mark.
    void clearRows();

    const kav::log::Track* track(int row) const;
    // The tracks shown, in row order.
    std::span<const kav::log::Track> tracks() const;
    int mark() const { return mark_; }
    void setMark(int track);
    void setLocale(const QLocale& locale);
    // Whether the last track's end has not been read (a download running or cut): its finish
    // then carries kIncompleteMark and a tip.
    void setLastIncomplete(bool incomplete);
    bool lastIncomplete() const { return lastIncomplete_; }
    // The flights of the track in row, found once per extent of the track.
    const std::vector<kav::flight::Flight>& flights(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    QString cellText(int row, int column) const;
    QString flightTimeText(int row) const;

    struct FoundFlights {
        std::size_t first = 0, last = 0;
        std::vector<kav::flight::Flight> flights;
    };

    const kav::log::LogCollection* collection_ = nullptr;
    int count_ = 0;
    int mark_ = -1;
    bool lastIncomplete_ = false;
    QLocale locale_;
    mutable std::vector<std::optional<FoundFlights>> found_;
};

}  // namespace kav::browse
