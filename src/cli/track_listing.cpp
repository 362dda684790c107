#include "cli/track_listing.h"

#include <QStringList>

#include "cli/flight_json.h"
#include "flight/flight_stats.h"
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

// Written by hand rather than through QJsonObject, which sorts keys: the fields stay in the
// order people read them (number, start, end, points, incomplete, flights). Every string is a
// UTC time or a fixed name, which need no escaping.
QByteArray trackListJson(const TrackListing& listing) {
    QStringList tracks;
    for (std::size_t i = 0; i < listing.log.tracks().size(); ++i) {
        const kav::log::Track& t = listing.log.tracks()[i];
        QStringList flights;
        for (const kav::flight::Flight& f : listing.flights[i]) {
            const auto fixes = kav::flight::flightFixes(listing.log.logData(), f);
            flights << QStringLiteral(R"({"takeoff":"%1","landing":"%2","score":%3,"stats":%4})")
                           .arg(isoText(f.takeoffTime), isoText(f.landingTime),
                                scoreJson(kav::flight::scoreFlight(fixes, listing.rules)),
                                statsJson(kav::flight::flightStats(fixes)));
        }
        tracks << QStringLiteral(
                      R"({"number":%1,"start":"%2","end":"%3","points":%4,"incomplete":%5,)"
                      R"("flights":[%6]})")
                      .arg(i + 1)
                      .arg(isoText(t.start), isoText(t.finish))
                      .arg(t.last - t.first + 1)
                      .arg(
                          incomplete(listing, i) ? QStringLiteral("true") : QStringLiteral("false"),
                          flights.join(u','));
    }
    return QStringLiteral(R"({"tracks":[%1]})").arg(tracks.join(u',')).toUtf8();
}

}  // namespace kav::cli
