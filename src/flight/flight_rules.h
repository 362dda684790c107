#pragma once
// The thresholds that tell a flight from a wait at launch, a walk or a ride on a road.

namespace kav::flight {

struct FlightRules {
    // Ground speed is measured between fixes this far apart, so that GPS noise of a few metres
    // does not read as movement.
    double speedBaselineSeconds = 10;
    // Height change is measured over this span: long enough to smooth GPS height noise, short
    // enough to see a glider climb in a thermal.
    double climbBaselineSeconds = 20;
    // A paraglider flies at 20 km/h or more over the ground except into a strong wind; running
    // on launch or walking stays below it.
    double takeoffSpeed = 4.0;  // m/s
    // Take-off needs the speed held this long: a single GPS jump (often 100 m) lasts one fix.
    double takeoffSeconds = 20;
    // Share of the fixes in a window that must agree, so one odd fix does not decide.
    double windowShare = 0.8;
    // Standing, packing up or walking away from the landing field stays below this.
    double restSpeed = 2.5;  // m/s
    // Climbing or sinking faster than this is flying even at walking speed over the ground: a
    // glider soaring into a strong wind or circling in lift.
    double restClimb = 0.4;  // m/s
    // At rest, the height GPS reports wanders less than this over a landing window.
    double restHeightRange = 15;  // m
    // Landing: at rest this long after touching down.
    double landingSeconds = 60;
    // High above launch a slow, level stretch is more likely soaring than a top landing: the
    // rest must then last much longer before it counts as a landing.
    double highAboveLaunch = 100;  // m
    double highLandingSeconds = 300;
    // A flight climbs or descends by at least this much; a ride on a flat road does not.
    double minimumHeightRange = 50;  // m
};

}  // namespace kav::flight
