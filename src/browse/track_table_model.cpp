#include "browse/track_table_model.h"

#include <algorithm>
#include <array>

#include "browse/track_time_text.h"
#include "flight/log_flights.h"

namespace kav::browse {
namespace {

// TitresGT730; the first entry is never written into the header.
const std::array<QString, 4> kTitres = {QStringLiteral("Id"), QStringLiteral("Start"),
                                        QStringLiteral("Finish"), QStringLiteral("Download")};
const QString kFlightTitle = QStringLiteral("Flight");
const std::vector<kav::flight::Flight> kNoFlight;

// Hours and minutes, "1:25".
QString hoursMinutes(long long seconds) {
    return QStringLiteral("%1:%2").arg(seconds / 3600).arg(seconds / 60 % 60, 2, 10, QChar(u'0'));
}

}  // namespace

TrackTableModel::TrackTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TrackTableModel::setCollection(const kav::log::LogCollection* collection) {
    beginResetModel();
    collection_ = collection;
    count_ = 0;
    mark_ = -1;
    lastIncomplete_ = false;
    endResetModel();
    sync();
}

void TrackTableModel::sync() {
    const int now = collection_ ? int(collection_->tracks().size()) : 0;
    if (now < count_) {  // the collection was emptied behind our back: start over
        clearRows();
    }
    if (now > 0 && count_ == 0) count_ = 1;  // the blank row becomes track 1
    if (now > count_) {
        beginInsertRows({}, count_, now - 1);
        count_ = now;
        endInsertRows();
    }
    if (count_ > 0) emit dataChanged(index(0, 0), index(count_ - 1, ColCount - 1));
    if (collection_) setMark(collection_->markedTrack());
}

void TrackTableModel::clearRows() {
    beginResetModel();
    found_.clear();
    count_ = 0;
    mark_ = -1;
    lastIncomplete_ = false;
    endResetModel();
}

const kav::log::Track* TrackTableModel::track(int row) const {
    if (!collection_ || row < 0 || row >= count_ || row >= int(collection_->tracks().size()))
        return nullptr;
    return &collection_->tracks()[std::size_t(row)];
}

std::span<const kav::log::Track> TrackTableModel::tracks() const {
    if (!collection_) return {};
    const auto& all = collection_->tracks();
    return std::span(all).first(std::min(std::size_t(count_), all.size()));
}

void TrackTableModel::setMark(int track) {
    if (track < -1 || track >= count_) track = -1;
    if (track == mark_) return;
    mark_ = track;
    if (count_ > 0) emit dataChanged(index(0, ColMark), index(count_ - 1, ColMark));
}

void TrackTableModel::setLocale(const QLocale& locale) {
    locale_ = locale;
    if (count_ > 0) emit dataChanged(index(0, ColStart), index(count_ - 1, ColFinish));
}

int TrackTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(count_, 1);
}

int TrackTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColCount;
}

void TrackTableModel::setLastIncomplete(bool incomplete) {
    if (incomplete == lastIncomplete_) return;
    lastIncomplete_ = incomplete;
    if (count_ > 0) emit dataChanged(index(count_ - 1, ColFinish), index(count_ - 1, ColFinish));
}

QVariant TrackTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const bool openEnd = lastIncomplete_ && index.row() + 1 == count_;
    if (role == Qt::ToolTipRole && openEnd)
        return QStringLiteral(
            "Incomplete: the end of this track has not been read from the "
            "logger");
    if (role != Qt::DisplayRole) return {};
    const QString text = cellText(index.row(), index.column());
    return openEnd && index.column() == ColFinish ? text + kIncompleteMark : text;
}

QString TrackTableModel::cellText(int row, int column) const {
    const kav::log::Track* t = track(row);
    if (!t) return {};
    switch (column) {
        case ColNumber:
            return QString::number(row + 1);
        case ColStart:
            return trackTimeText(t->start, locale_);
        case ColFinish:
            return trackTimeText(t->finish, locale_);
        case ColMark:
            return row == mark_ ? kMarkOn : kMarkOff;
        case ColFirst:
            return QString::number(t->first);
        case ColLast:
            return QString::number(t->last);
        case ColFlight:
            return flightTimeText(row);
        default:
            return {};
    }
}

const std::vector<kav::flight::Flight>& TrackTableModel::flights(int row) const {
    const kav::log::Track* t = track(row);
    if (!t) return kNoFlight;
    if (found_.size() <= std::size_t(row)) found_.resize(std::size_t(row) + 1);
    auto& found = found_[std::size_t(row)];
    if (!found || found->first != t->first || found->last != t->last) {
        const auto& log = collection_->logData();
        found = FoundFlights{
            t->first, t->last,
            kav::flight::findFlights(kav::log::convertTrack(log, t->first, t->last), t->first)};
    }
    return found->flights;
}

QString TrackTableModel::flightTimeText(int row) const {
    long long seconds = 0;
    for (const kav::flight::Flight& f : flights(row)) seconds += kav::flight::flightSeconds(f);
    return flights(row).empty() ? QString() : hoursMinutes(seconds);
}

QVariant TrackTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    if (section >= ColStart && section <= ColMark) return kTitres[std::size_t(section)];
    if (section == ColFlight) return kFlightTitle;
    return QString();
}

}  // namespace kav::browse
