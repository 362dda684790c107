#pragma once
// The sectors of one download, kept by number: a download is whole only when every sector from
// 0 to the last used one is held, each once, whole. A sector that comes twice, out of order or
// outside the download is an error of the link and is noted, never silently dropped.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

namespace kav::session {

class SectorStore {
  public:
    enum class Kept { InOrder, OutOfOrder, Twice, Foreign };

    // A download of expected sectors starts; whatever was held is dropped.
    void reset(int expected);
    Kept add(int sector, const QByteArray& data);
    // Takes the next sector of the unbroken run from sector 0, once it is held.
    bool takeNext(QByteArray* data);

    int expected() const { return expected_; }
    // Sectors of the unbroken run from sector 0 taken so far.
    int taken() const { return taken_; }
    bool whole() const { return taken_ == expected_ && ahead_.isEmpty() && error_.isEmpty(); }
    // Sectors 0 .. expected - 1 not held.
    QList<int> missing() const;
    // The first error of the link: a sector twice, out of order, or not this download's.
    const QString& error() const { return error_; }

  private:
    void noteError(const QString& text);

    int expected_ = 0;
    int taken_ = 0;
    int next_ = 0;                 // the sector that follows the last one handed on
    QMap<int, QByteArray> ahead_;  // held, not yet taken
    QString error_;
};

// "sector 3", "sectors 3 to 7", "sectors 1, 4 and 6 to 9".
QString sectorListText(const QList<int>& sectors);

}  // namespace kav::session
