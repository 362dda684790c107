// Synthetic days written by the emulator's encoder, decoded as a download would, and the
// flights found in them.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "flight/flight_stats.h"
#include "flight/log_flights.h"
#include "log/gps_time.h"
#include "sim/day_builder.h"
#include "sim/image_encoder.h"

namespace kav::flight {
namespace {

using kav::sim::DayBuilder;

constexpr uint16_t kWeek = 2209;
constexpr uint32_t kStart = 86400 + 9 * 3600;  // Monday 09:00 GPS
constexpr double kTolerance = 30;              // seconds

struct Expected {
    int takeoff, landing;  // seconds after the start
};

struct DayCase {
    const char* name;
    std::function<void(DayBuilder&)> day;
    std::vector<Expected> flights;
};

// The day written to flash and read back into one track.
kav::log::LogCollection decoded(const DayCase& c) {
    std::vector<kav::log::TDataECEF> fixes;
    DayBuilder day(fixes, kWeek, kStart, 45.81, 6.24, 1300);
    c.day(day);
    const QByteArray image = kav::sim::encodeFixes(fixes);
    kav::log::LogCollection log;
    for (qsizetype at = 0; at + 4096 <= image.size(); at += 4096)
        log.SavePacket(std::span(reinterpret_cast<const uint8_t*>(image.constData() + at), 4096));
    return log;
}

double secondsAfterStart(kav::log::DateTime t) {
    return t * 86400 - kav::log::GpsTime2Datetime(kWeek, kStart) * 86400;
}

void flyThermalsAndGlides(DayBuilder& d) {
    d.glide(60, 270, 9, 1.0);
    d.thermal(400, 1.8, 1.5, 0.5);
    d.glide(300, 160, 10, 1.1);
    d.glide(240, 0, 1.2, -0.8);  // slow soaring into the wind, climbing ...
    d.glide(240, 0, 1.0, 0.7);   // ... and sinking, at walking speed over the ground
    d.thermal(300, 1.5, 2.0, 0.0);
    d.glide(900, 250, 10, 1.3);
}

const DayCase kDays[] = {
    {"RestWithWanderingErrorAndJumps", [](DayBuilder& d) { d.rest(3600, 8, 300); }, {}},
    {"Walk",
     [](DayBuilder& d) {
         d.rest(120, 3, 0);
         d.glide(1800, 30, 1.4, 0.01);
         d.rest(120, 3, 0);
     },
     {}},
    {"FlightAndLanding",
     [](DayBuilder& d) {
         d.rest(600, 5, 120);
         flyThermalsAndGlides(d);
         d.rest(600, 5, 120);
     },
     {{600, 3040}}},
    {"CarRideWithStops",
     [](DayBuilder& d) {
         d.rest(300, 3, 0);
         for (int leg = 0; leg < 6; ++leg) {
             d.glide(240, 60.0 * leg, 15, leg % 2 ? 0.02 : -0.02);
             d.stand(40);  // a junction
         }
         d.rest(300, 3, 0);
     },
     {}},
    {"TwoFlightsWithALongRest",
     [](DayBuilder& d) {
         d.rest(300, 4, 200);
         d.glide(30, 270, 9, 1.2);
         d.thermal(600, 2.0, 1.0, 0.0);
         d.glide(600, 90, 11, 1.5);
         d.rest(1800, 4, 200);  // lunch at the landing field, then a walk back up is skipped
         d.glide(30, 90, 9, -1.0);
         d.glide(400, 180, 10, 1.5);
         d.rest(300, 4, 200);
     },
     {{300, 1530}, {3330, 3760}}},
};

TEST(FlightDetector, SyntheticDays) {
    for (const DayCase& c : kDays) {
        const kav::log::LogCollection log = decoded(c);
        ASSERT_EQ(log.tracks().size(), 1u) << c.name;
        const std::vector<Flight> found = findLogFlights(log).front();
        ASSERT_EQ(found.size(), c.flights.size()) << c.name;
        for (std::size_t k = 0; k < found.size(); ++k) {
            EXPECT_NEAR(secondsAfterStart(found[k].takeoffTime), c.flights[k].takeoff, kTolerance)
                << c.name << " flight " << k + 1;
            EXPECT_NEAR(secondsAfterStart(found[k].landingTime), c.flights[k].landing, kTolerance)
                << c.name << " flight " << k + 1;
        }
    }
}

// What each flight of the days was built to do: metres climbed from its lowest point before
// its highest, the steepest 5 s climb and sink, the fastest glide.
struct StatsCase {
    const char* day;
    std::size_t flight;
    double gainMetres, climb5s, sink5s, maxKmh;
};

const StatsCase kStats[] = {
    {"FlightAndLanding", 0, 864, 1.8, 1.3, 36},
    {"TwoFlightsWithALongRest", 0, 1200, 2.0, 1.5, 39.6},
    {"TwoFlightsWithALongRest", 1, 30, 1.0, 1.5, 36},
};

TEST(FlightStats, SyntheticDays) {
    for (const StatsCase& c : kStats) {
        const DayCase& day =
            *std::find_if(std::begin(kDays), std::end(kDays),
                          [&c](const DayCase& d) { return std::string(d.name) == c.day; });
        const kav::log::LogCollection log = decoded(day);
        const Flight flight = findLogFlights(log).front().at(c.flight);
        const std::vector<FlightFix> fixes = flightFixes(log.logData(), flight);
        const FlightStats s = flightStats(fixes);
        const std::string name = std::string(c.day) + " flight " + std::to_string(c.flight + 1);
        EXPECT_NEAR(s.durationSeconds, double(flightSeconds(flight)), 1) << name;
        // Heights come from whole-metre coordinates: a few metres of noise on every fix.
        EXPECT_NEAR(s.heightGain, c.gainMetres, 40) << name;
        EXPECT_NEAR(s.maxClimb5s, c.climb5s, 0.5) << name;
        EXPECT_NEAR(s.maxSink5s, c.sink5s, 0.5) << name;
        EXPECT_GE(s.maxClimb, s.maxClimb5s) << name;
        EXPECT_NEAR(s.maxKmh, c.maxKmh, 2) << name;
        EXPECT_EQ(s.takeoff.time, fixes.front().time) << name;
        EXPECT_EQ(s.landing.time, fixes.back().time) << name;
        EXPECT_LE(s.straightKm, s.trackKm) << name;
        EXPECT_NEAR(s.averageKmh, s.trackKm / s.durationSeconds * 3600, 1e-9) << name;
        EXPECT_GE(s.maxHeight - s.minHeight, s.heightGain) << name;
    }
}

}  // namespace
}  // namespace kav::flight
