#include "cli/track_listing.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "flight/log_flights.h"
#include "log/gps_time.h"

namespace kav::cli {

namespace {

QString utcText(kav::log::DateTime t) {
    return kav::log::toQDateTime(t).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString isoText(kav::log::DateTime t) {
    return kav::log::toQDateTime(t).toString(Qt::ISODate);
}

QString duration(long long seconds) {
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
        .arg(seconds % 60, 2, 10, QChar(u'0'));
}

bool incomplete(const TrackListing& listing, std::size_t track) {
    return listing.incompleteTrack == track;
}

}  // namespace

QStringList trackListLines(const TrackListing& listing) {
    QStringList lines;
    for (std::size_t i = 0; i < listing.log.tracks().size(); ++i) {
        const kav::log::Track& t = listing.log.tracks()[i];
        lines << QStringLiteral("%1  %2  %3  %4%5")
                     .arg(i + 1, 3)
                     .arg(utcText(t.start), utcText(t.finish))
                     .arg(t.last - t.first + 1)
                     .arg(incomplete(listing, i) ? QStringLiteral("  incomplete") : QString());
        const auto& flights = listing.flights[i];
        for (std::size_t k = 0; k < flights.size(); ++k)
            lines << QStringLiteral("       flight %1  %2  %3  %4")
                         .arg(k + 1)
                         .arg(utcText(flights[k].takeoffTime), utcText(flights[k].landingTime),
                              duration(kav::flight::flightSeconds(flights[k])));
    }
    return lines;
}

QByteArray trackListJson(const TrackListing& listing) {
    QJsonArray tracks;
    for (std::size_t i = 0; i < listing.log.tracks().size(); ++i) {
        const kav::log::Track& t = listing.log.tracks()[i];
        QJsonArray flights;
        for (const kav::flight::Flight& f : listing.flights[i])
            flights.append(QJsonObject{{QStringLiteral("takeoff"), isoText(f.takeoffTime)},
                                       {QStringLiteral("landing"), isoText(f.landingTime)}});
        tracks.append(QJsonObject{{QStringLiteral("number"), qint64(i + 1)},
                                  {QStringLiteral("start"), isoText(t.start)},
                                  {QStringLiteral("end"), isoText(t.finish)},
                                  {QStringLiteral("points"), qint64(t.last - t.first + 1)},
                                  {QStringLiteral("incomplete"), incomplete(listing, i)},
                                  {QStringLiteral("flights"), flights}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("tracks"), tracks}})
        .toJson(QJsonDocument::Compact);
}

}  // namespace kav::cli
