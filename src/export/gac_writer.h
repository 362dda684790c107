#pragma once
// GAC flight record: A, H and I header records and one B record per valid fix.

#include <cstddef>

#include <QString>

#include "export/file_info.h"
#include "export/safe_file_write.h"
#include "log/fix_types.h"
#include "log/track_points.h"

namespace kav::exporting {

// The 42-character B record of point, its xTrack being the course in whole degrees.
QString gacBRecord(const kav::log::TDataGAC& point);

// Writes fixes first..last (last included) of log as a new GAC file at path, 8-bit text in the
// system code page with CR LF line ends. HFDTE carries the UTC date of the first written fix
// (info.DateToday when no fix is written).
WriteResult writeGacFile(const QString& path, const TFileInfo& info, const QString& Firmware,
                         const QString& Hardware, const kav::log::LogData& log, std::size_t first,
                         std::size_t last);

// The bytes of that file, from a track whose arrays have the same length.
QByteArray gacFileBytes(const TFileInfo& info, const QString& Firmware, const QString& Hardware,
                        const kav::log::ConvertedTrack& track);

// The same from a track already converted.
WriteResult writeGacFile(const QString& path, const TFileInfo& info, const QString& Firmware,
                         const QString& Hardware, const kav::log::ConvertedTrack& track);

}  // namespace kav::exporting
