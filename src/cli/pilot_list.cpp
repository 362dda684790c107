#include "cli/pilot_list.h"

#include <QFile>
#include <QHash>
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

// The letters of a word that have no decomposition into a base letter and an accent.
QString foldedLetter(QChar c) {
    static const QHash<QChar, QString> letters{
        {u'ß', QStringLiteral("ss")}, {u'Æ', QStringLiteral("AE")}, {u'æ', QStringLiteral("ae")},
        {u'Œ', QStringLiteral("OE")}, {u'œ', QStringLiteral("oe")}, {u'Ø', QStringLiteral("O")},
        {u'ø', QStringLiteral("o")},  {u'Ł', QStringLiteral("L")},  {u'ł', QStringLiteral("l")},
        {u'Đ', QStringLiteral("D")},  {u'đ', QStringLiteral("d")},  {u'Þ', QStringLiteral("Th")},
        {u'þ', QStringLiteral("th")}, {u'ı', QStringLiteral("i")}};
    return letters.value(c);
}

// word in ASCII letters only: accents dropped, anything else ("-", "'", digits) left out.
QString asciiLetters(const QString& word) {
    QString letters;
    for (QChar c : word.normalized(QString::NormalizationForm_KD)) {
        if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))
            letters += c;
        else
            letters += foldedLetter(c);
    }
    return letters;
}

QString firstLastId(const Pilot& pilot, const QString& id) {
    QStringList words;
    for (const QString& word : pilot.name.split(QRegularExpression(QStringLiteral("\\s+"))))
        if (const QString letters = asciiLetters(word); !letters.isEmpty()) words << letters;
    QStringList parts;
    if (!words.isEmpty()) parts << words.takeFirst();
    if (!words.isEmpty()) parts << words.join(QString());
    if (!id.isEmpty()) parts << id;
    return parts.join(u'_');
}

}  // namespace

std::optional<NameStyle> nameStyleFrom(const QString& text) {
    if (text == QStringLiteral("name.id")) return NameStyle::NameDotId;
    if (text == QStringLiteral("id")) return NameStyle::Id;
    if (text == QStringLiteral("name_id")) return NameStyle::NameId;
    return std::nullopt;
}

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

QString pilotFileStem(const Pilot& pilot, NameStyle style) {
    const QString id = safeForFileName(pilot.competitionId);
    if (style == NameStyle::NameId) return firstLastId(pilot, id);
    if (pilot.name.isEmpty() || (style == NameStyle::Id && !id.isEmpty())) return id;
    return safeForFileName(pilot.name) + (id.isEmpty() ? QString() : u'.' + id);
}

}  // namespace kav::cli
