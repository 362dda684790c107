#pragma once
// The pilots file of a download station: one logger per line, "serial number, competition id,
// name" (CSV: fields may be quoted, a quoted field may hold commas and doubled quotes). It names
// each logger's folder and files after its pilot.

#include <optional>
#include <vector>

#include <QString>

namespace kav::cli {

struct Pilot {
    QString serialNumber;
    QString competitionId;
    QString name;
};

class PilotList {
  public:
    // Reads the file; nullopt with error set ("line N: ...") when it cannot be read or a line
    // is malformed. Blank lines, lines starting with '#' and a header line are skipped.
    static std::optional<PilotList> read(const QString& path, QString* error);
    static std::optional<PilotList> parse(const QString& text, QString* error);

    // The pilot of a logger; a logger reports at most 14 characters of its serial number, so a
    // longer number in the file matches by its start. Case and surrounding blanks do not count.
    const Pilot* find(const QString& serialNumber) const;
    const std::vector<Pilot>& pilots() const { return pilots_; }

  private:
    std::vector<Pilot> pilots_;
};

// The stem scoring programs match, "<name>.<id>" (blanks and characters no file name may hold
// become '_'); the id alone without a name.
QString pilotFileStem(const Pilot& pilot);

}  // namespace kav::cli
