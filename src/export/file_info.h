#pragma once
// The export header written into the GAC and GPX files.

#include <QDate>
#include <QString>

namespace kav::exporting {

struct TFileInfo {
    QString CodeFR;     // after "A" in the GAC A record
    QString FRType;     // flight recorder type text
    QString GPSName;    // GPS receiver text
    QString Structure;  // the GAC I record
    QString SerialNo;   // recorder serial text of the A record
    QString DateToday;  // export date, DDMMYY with a dd/mm/yyyy short date format
    QString Pilot;      // the competitor chosen from the start list, for the IGC header
};

// The header for program version SoftFirmware (e.g. "0.1.5 ") exported on the day today.
TFileInfo fillFileInfo(const QString& SoftFirmware, const QDate& today);

// today in the user's short date format, "/" removed, characters 1-4 and 7-8 kept.
QString dateTodayText(const QDate& today);

}  // namespace kav::exporting
