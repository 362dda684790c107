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

// How a listed logger's folder and files are named.
enum class NameStyle {
    NameDotId,  // "<name>.<id>": blanks and characters no file name may hold become '_'
    Id,         // "<id>" alone ("<name>.<id>" without an id)
    NameId,     // "<first>_<last>_<id>": ASCII letters only, accents dropped, the first word of
                // the name the first name and the other words, joined, the last name
};
// "name.id", "id" or "name_id".
std::optional<NameStyle> nameStyleFrom(const QString& text);

// The stem of a pilot's folder and files in style; the id alone without a name, empty when the
// pilot has neither.
QString pilotFileStem(const Pilot& pilot, NameStyle style = NameStyle::NameDotId);

}  // namespace kav::cli
