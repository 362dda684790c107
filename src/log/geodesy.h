#pragma once
// ECEF to WGS84 geodetic conversion and fix-to-track-point conversion.

#include <cstdint>

#include "fix_types.h"

namespace kav::log {

// Height in metres as units of 0.303 m, rounded half to even and held to the int32 range.
int32_t altitudeUnits(long double heightMetres);

// Writes xLat, xLong, xAlti and xHeight of dGAC from the fix's ECEF position (one Bowring step).
void ECEF_XYZh(TDataECEF dECEF, TDataGAC& dGAC);

// Fills xSeconde, xLat, xLong, xAlti, xSpeed (and xTrack for the null position).
void Ecef2Gac(TDataECEF DataCompressed, TDataGAC& dGAC);

}  // namespace kav::log
