#pragma once
// The station's measurement state, held by the main frame for the whole run: the technique
// chosen in the observation documents' Technique menu and the active rules, references and
// calibrations that single acquisitions and scans use.

// Techniques of the Technique menu, as stored in "MeasurementType".
inline constexpr int kTechniqueCdp = 1;
inline constexpr int kTechniqueGradient = 2;
inline constexpr int kTechniqueRawAD = 3;
inline constexpr int kTechniqueInterestPoint = 4;

class CStation {
  public:
    CStation();
    ~CStation();
    CStation(const CStation&) = delete;
    CStation& operator=(const CStation&) = delete;

    int measurementType = kTechniqueRawAD;
};
