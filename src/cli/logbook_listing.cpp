#include "cli/logbook_listing.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "logbook/logbook_columns.h"
#include "logbook/logbook_totals.h"
#include "logbook/score_route.h"

namespace kav::cli {

using kav::logbook::LoggedFlight;

namespace {

QString utcText(const QDateTime& t) {
    return t.toUTC().toString(Qt::ISODate);
}

QString durationText(double seconds) {
    const qint64 minutes = qRound64(seconds / 60);
    return QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar(u'0'));
}

// Every figure of a flight by its column name, as the database stores them.
QList<std::pair<QString, double>> figures(const LoggedFlight& flight) {
    QList<std::pair<QString, double>> named;
    for (const auto& c : kav::logbook::kStatColumns)
        named.append({QLatin1String(c.name), flight.stats.*c.value});
    for (const auto& c : kav::logbook::kPlaceColumns)
        named.append({QLatin1String(c.name), flight.stats.*c.place.*c.value});
    for (const auto& c : kav::logbook::kScoreColumns)
        named.append({QLatin1String(c.name), flight.score.*c.value});
    return named;
}

QJsonObject flightJson(const LoggedFlight& flight) {
    QJsonObject json{
        {QStringLiteral("fingerprint"), flight.fingerprint},
        {QStringLiteral("serial_number"), flight.serialNumber},
        {QStringLiteral("takeoff"), utcText(flight.takeoff)},
        {QStringLiteral("landing"), utcText(flight.landing)},
        {QStringLiteral("score_rules"), kav::flight::scoreRulesName(flight.score.rules)},
        {QStringLiteral("score_type"), kav::flight::scoreTypeName(flight.score.type)},
        {QStringLiteral("score_route"),
         QJsonDocument::fromJson(kav::logbook::routeJson(flight.score).toUtf8()).object()},
        {QStringLiteral("files"), QJsonArray::fromStringList(flight.files)}};
    for (const auto& [name, value] : figures(flight)) json.insert(name, value);
    return json;
}

QString csvField(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n')) return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// "1 file", "2 files".
QString counted(qsizetype n, const QString& word) {
    return QStringLiteral("%1 %2%3").arg(n).arg(word, n == 1 ? QString() : QStringLiteral("s"));
}

}  // namespace

QStringList logbookLines(const std::vector<LoggedFlight>& flights) {
    QStringList lines;
    for (const LoggedFlight& f : flights)
        lines << QStringLiteral("%1  %2  %3  %4  %5  %6 km  %7 points  max %8 m  %9")
                     .arg(f.takeoff.toUTC().toString(QStringLiteral("yyyy-MM-dd  HH:mm:ss")),
                          f.landing.toUTC().toString(QStringLiteral("HH:mm:ss")),
                          durationText(double(f.takeoff.secsTo(f.landing))),
                          f.serialNumber.isEmpty() ? QStringLiteral("unknown") : f.serialNumber,
                          kav::flight::scoreTypeName(f.score.type))
                     .arg(f.score.km, 0, 'f', 1)
                     .arg(f.score.points, 0, 'f', 1)
                     .arg(qRound(f.stats.maxHeight))
                     .arg(counted(f.files.size(), QStringLiteral("file")));
    for (const auto& year : kav::logbook::yearTotals(flights))
        lines << QStringLiteral("%1: %2, %3, best %4 km")
                     .arg(year.year)
                     .arg(counted(year.flights, QStringLiteral("flight")))
                     .arg(durationText(year.seconds))
                     .arg(year.bestKm, 0, 'f', 1);
    return lines;
}

QByteArray logbookJson(const std::vector<LoggedFlight>& flights) {
    QJsonArray rows, years;
    for (const LoggedFlight& flight : flights) rows.append(flightJson(flight));
    for (const auto& year : kav::logbook::yearTotals(flights))
        years.append(QJsonObject{{QStringLiteral("year"), year.year},
                                 {QStringLiteral("flights"), year.flights},
                                 {QStringLiteral("hours"), year.seconds / 3600},
                                 {QStringLiteral("best_km"), year.bestKm}});
    return QJsonDocument(
               QJsonObject{{QStringLiteral("flights"), rows}, {QStringLiteral("years"), years}})
        .toJson(QJsonDocument::Indented);
}

QStringList logbookCsv(const std::vector<LoggedFlight>& flights) {
    QStringList header{QStringLiteral("takeoff"), QStringLiteral("landing"),
                       QStringLiteral("serial_number"), QStringLiteral("score_rules"),
                       QStringLiteral("score_type")};
    for (const auto& figure : figures(LoggedFlight{})) header << figure.first;
    header << QStringLiteral("files") << QStringLiteral("fingerprint");
    QStringList lines{header.join(u',')};
    for (const LoggedFlight& f : flights) {
        QStringList fields{utcText(f.takeoff), utcText(f.landing), csvField(f.serialNumber),
                           kav::flight::scoreRulesName(f.score.rules),
                           csvField(kav::flight::scoreTypeName(f.score.type))};
        for (const auto& figure : figures(f)) fields << QString::number(figure.second, 'g', 10);
        fields << csvField(f.files.join(u';')) << f.fingerprint;
        lines << fields.join(u',');
    }
    return lines;
}

}  // namespace kav::cli
