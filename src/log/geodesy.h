#pragma once
// ECEF to WGS84 geodetic conversion and fix-to-track-point conversion.

#include "fix_types.h"

namespace kav::log {

// Writes xLat, xLong and xAlti of dGAC from the fix's ECEF position (one Bowring step).
void ECEF_XYZh(TDataECEF dECEF, TDataGAC& dGAC);

// Fills xSeconde, xLat, xLong, xAlti, xSpeed (and xTrack for the null position).
void Ecef2Gac(TDataECEF DataCompressed, TDataGAC& dGAC);

}  // namespace kav::log
