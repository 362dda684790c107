#pragma once
// IGC flight record of a recorder that is not IGC-approved: A, H and L records, then one B
// record a second with heights in metres. Printable ASCII, CR LF line ends, no G record.

#include <QDate>
#include <QString>

#include "export/safe_file_write.h"
#include "log/fix_types.h"
#include "log/track_points.h"

namespace kav::exporting {

struct IgcHeader {
    QString serialNumber;  // the logger's, for the recorder id
    QString pilot;         // the competitor's name, or empty
    QString firmware;      // the logger's version texts
    QString hardware;
    int flightOfDay = 1;  // the flight's number among the logger's flights of its UTC date
    QDate fallbackDate;   // the header date of a track without any fix
};

// The three-character recorder id of a logger: the last three letters or digits of its serial
// number, in capitals, "0"-filled on the left (the same for every file of that logger).
QString igcRecorderId(const QString& serialNumber);

// text as printable ASCII: markup tags removed, accents dropped from letters, characters IGC
// reserves or cannot hold left out, runs of blanks made one.
QString igcText(const QString& text);

// The 35-character B record of point: latitude and longitude minutes rounded to thousandths
// with the carry into the degrees, validity A with a position (V for the empty fix), pressure
// altitude 00000, GNSS altitude in whole metres held to -9999..99999.
QString igcBRecord(const kav::log::TDataGAC& point);

// The long file name YYYY-MM-DD-XXX-SSS-NN.igc.
QString igcFileName(const QDate& date, const QString& serialNumber, int flightOfDay);

// The UTC date of the first fix of track, or fallback when it has none.
QDate igcFlightDate(const kav::log::ConvertedTrack& track, const QDate& fallback);

// Writes the track as a new IGC file at path. Fixes whose time is not after the previous
// written one are left out, so times only increase; past midnight UTC they run on from 000000
// under the first fix's date.
WriteResult writeIgcFile(const QString& path, const IgcHeader& header,
                         const kav::log::ConvertedTrack& track);
// The bytes of that file, from a track whose arrays have the same length.
QByteArray igcFileBytes(const IgcHeader& header, const kav::log::ConvertedTrack& track);

}  // namespace kav::exporting
