#pragma once
// The widget-free steps of the Download flow: date names, name proposals, extension completion,
// the choice of writer by extension, safe competitor names and reading the start list.

#include <optional>

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include "export/track_export.h"

namespace kav::exporting {

// The save dialog's filter, filters numbered from 1: GAC, KML, GPX, IGC.
inline constexpr char kSaveFilter[] = "GAC|*.gac|KML|*.kml|GPX|*.gpx|IGC|*.igc";

// date written in shortDateFormat, every "/" removed, then characters 1-4 and 7-8
// (dd/MM/yyyy: 19 May 2019 -> "190519").
QString DateToday(const QDate& date, const QString& shortDateFormat);

// The date part of a proposed file name: DateToday when it holds digits only; otherwise (a
// format with "." or "-" would put a false extension in the name) the date as ddMMyy.
QString fileDateName(const QDate& date, const QString& shortDateFormat);

// Where files go without a dialog: dataDir when it names an existing folder, else programDir.
QString outputDirectory(const QString& dataDir, const QString& programDir);

// folder + "/" + name.
QString pathInFolder(const QString& folder, const QString& name);

// The proposal when the start list is missing: folder + "/" + the date in shortDateFormat,
// separators made safe, + "FR".
QString missingListProposal(const QString& folder, const QDate& date,
                            const QString& shortDateFormat);

// name made usable as one file name inside a folder: path separators, characters a file name
// cannot hold and control characters become "_", leading dots are removed; fallback when
// nothing but blanks is left.
QString safeFileName(const QString& name, const QString& fallback);

// The extension of the file name part of path, from its last "." ("." included); empty if none.
QString nameExtension(const QString& path);

// "name_incomplete.ext": the name says the track's end was not read (both front ends).
QString incompleteName(const QString& path);

// ".gac", ".kml", ".gpx" or ".igc" for filter index 1, 2, 3 or 4; empty for any other index.
QString extensionForFilterIndex(int filterIndex);

// path with the filter index's extension appended when its name has no extension.
QString completeExtension(const QString& path, int filterIndex);

// The name offered to the save dialog: path + the filter index's extension, unless its name
// already ends with a track format's. A complete name keeps a "." inside it ("J. Smith") from
// being taken for the start of an extension.
QString proposalWithExtension(const QString& path, int filterIndex);

// The writer for a file name, by its extension in any case; none for another extension.
std::optional<TrackFormat> writerFor(const QString& path);

// "Extension " + extension + " unknown ".
QString unknownExtensionMessage(const QString& extension);

// "File " + path + " not find".
QString missingStartListMessage(const QString& path);

// The entries of a start list: its lines in order, unchanged but for the line end (CR LF or
// LF), decoded from the system's 8-bit code page. A last line end opens no further entry.
QStringList startListEntries(const QByteArray& bytes);

// A start list larger than this is refused rather than read.
inline constexpr qint64 kMaxStartListBytes = 16 * 1024 * 1024;

struct StartList {
    QStringList entries;
    QString error;  // empty when the file was read
};

// Reads the start list at path.
StartList readStartList(const QString& path);

}  // namespace kav::exporting
