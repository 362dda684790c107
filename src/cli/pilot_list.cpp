#include "cli/pilot_list.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace kav::cli {

namespace {

constexpr int kReportedSerialLength = 14;  // what a logger's user-data area yields

// Splits one CSV line into fields; nullopt when a quote is left open.
std::optional<QStringList> splitCsv(const QString& line) {
    QStringList fields{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted && c == u'"' && i + 1 < line.size() && line.at(i + 1) == u'"') {
            fields.last() += u'"';
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (c == u',' && !quoted) {
            fields << QString();
        } else {
            fields.last() += c;
        }
    }
    if (quoted) return std::nullopt;
    for (QString& field : fields) field = field.trimmed();
    return fields;
}

bool isHeader(const QStringList& fields) {
    return fields.first().contains(QStringLiteral("serial"), Qt::CaseInsensitive);
}

QString safeForFileName(QString text) {
    for (QChar& c : text)
        if (c.isSpace() || c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|.,;").contains(c))
            c = u'_';
    return text;
}

}  // namespace

std::optional<PilotList> PilotList::read(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return parse(QString::fromUtf8(file.readAll()), error);
}

std::optional<PilotList> PilotList::parse(const QString& text, QString* error) {
    PilotList list;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines.at(n).trimmed();
        if (n == 0 && line.startsWith(QChar(0xFEFF))) line.remove(0, 1);
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        const auto fields = splitCsv(line);
        if (!fields || fields->size() < 3 || fields->first().isEmpty()) {
            if (fields && list.pilots_.empty() && isHeader(*fields)) continue;
            *error = QStringLiteral("line %1: expected \"serial number, competition id, name\"")
                         .arg(n + 1);
            return std::nullopt;
        }
        if (list.pilots_.empty() && isHeader(*fields)) continue;
        list.pilots_.push_back({fields->at(0), fields->at(1), fields->at(2)});
    }
    return list;
}

const Pilot* PilotList::find(const QString& serialNumber) const {
    const QString wanted = serialNumber.trimmed();
    if (wanted.isEmpty()) return nullptr;
    for (const Pilot& pilot : pilots_) {
        const QString listed = pilot.serialNumber.left(kReportedSerialLength);
        if (listed.compare(wanted.left(kReportedSerialLength), Qt::CaseInsensitive) == 0)
            return &pilot;
    }
    return nullptr;
}

QString pilotFileStem(const Pilot& pilot) {
    const QString id = safeForFileName(pilot.competitionId);
    if (pilot.name.isEmpty()) return id;
    return safeForFileName(pilot.name) + (id.isEmpty() ? QString() : u'.' + id);
}

}  // namespace kav::cli
