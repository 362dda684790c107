#pragma once
// Flights made by code for scoring tests and benchmarks: straight legs flown a fix a second,
// thermals circled on the way, GPS noise from a fixed seed.

#include <cstddef>
#include <span>
#include <vector>

#include "flight/flight_fix.h"

namespace kav::flight::testing {

struct Course {
    double heading;  // degrees from north
    double km;
};

struct FlightShape {
    double lat = 45.8, lon = 6.2;  // the start
    double metresPerFix = 10;
    double noiseMetres = 0;
    double thermalEveryKm = 0;  // circles of 30 fixes this often (0: none)
    unsigned seed = 1;
};

// The fixes of the courses flown one after another from the start.
std::vector<FlightFix> flyCourses(std::span<const Course> courses, const FlightShape& shape);

// A flight of about n fixes: glides and thermals around a triangle that nearly closes.
std::vector<FlightFix> thermalLoop(std::size_t n, unsigned seed = 7);
// A straight flight of n fixes 10 m apart, each off the line by noise of that spread.
std::vector<FlightFix> straightFlight(std::size_t n, double noiseMetres);

}  // namespace kav::flight::testing
