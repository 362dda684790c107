#include "session/sector_store.h"

#include <algorithm>
#include <utility>

#include "link/raw_block.h"

namespace kav::session {

void SectorStore::reset(int expected) {
    expected_ = expected;
    taken_ = 0;
    next_ = 0;
    ahead_.clear();
    error_.clear();
}

SectorStore::Kept SectorStore::add(int sector, const QByteArray& data) {
    if (sector < 0 || sector >= expected_ || data.size() != qsizetype(kav::link::kSectorSize)) {
        noteError(QStringLiteral("the link handed sector %1, which is not one of this download's")
                      .arg(sector));
        return Kept::Foreign;
    }
    if (sector < taken_ || ahead_.contains(sector)) {
        noteError(QStringLiteral("the link handed sector %1 twice").arg(sector));
        return Kept::Twice;
    }
    ahead_.insert(sector, data);
    const int wanted = std::exchange(next_, std::max(next_, sector + 1));
    if (sector == wanted) return Kept::InOrder;
    noteError(QStringLiteral("the link handed sector %1 when sector %2 was next")
                  .arg(sector)
                  .arg(wanted));
    return Kept::OutOfOrder;
}

bool SectorStore::takeNext(QByteArray* data) {
    const auto it = ahead_.find(taken_);
    if (it == ahead_.end()) return false;
    *data = it.value();
    ahead_.erase(it);
    ++taken_;
    return true;
}

QList<int> SectorStore::missing() const {
    QList<int> out;
    for (int s = taken_; s < expected_; ++s)
        if (!ahead_.contains(s)) out << s;
    return out;
}

void SectorStore::noteError(const QString& text) {
    if (error_.isEmpty()) error_ = text;
}

QString sectorListText(const QList<int>& sectors) {
    QStringList parts;
    for (qsizetype i = 0; i < sectors.size();) {
        qsizetype j = i;
        while (j + 1 < sectors.size() && sectors[j + 1] == sectors[j] + 1) ++j;
        parts << (j == i ? QString::number(sectors[i])
                         : QStringLiteral("%1 to %2").arg(sectors[i]).arg(sectors[j]));
        i = j + 1;
    }
    if (parts.isEmpty()) return {};
    const QString last = parts.takeLast();
    const QString head = parts.isEmpty() ? last : parts.join(QStringLiteral(", ")) + " and " + last;
    return (sectors.size() == 1 ? QStringLiteral("sector ") : QStringLiteral("sectors ")) + head;
}

}  // namespace kav::session
