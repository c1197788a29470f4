#pragma once
// The watch of the station's current technique, after the checks Mode > Watch makes first.

#include <memory>

class CStation;
class CWatch;

// The watch for the station's technique (CDP, the selected gradient probe, raw A/D), not yet
// opened; null after "Define ... first." when its rules (and calibration) are missing, and
// without a message for a technique that has no watch.
std::unique_ptr<CWatch> MakeWatchFor(CStation& station);
// The watch of `technique` (kTechniqueCdp, kTechniqueGradient, kTechniqueRawAD) as above.
std::unique_ptr<CWatch> MakeWatchFor(CStation& station, int technique);
