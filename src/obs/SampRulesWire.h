#pragma once
// Sampling rules of the current-density probe (CDP): the settling wait, the averaging times of
// point and reference readings, and the first of the four A/D channels that carry the lock-in
// outputs. A negative SamplePeriod marks rules that produce reference observations.

#include "obs/VelmObs.h"

// Where the rules live in velm.ini: one line per key. The observation document's own rules use
// "Point ", a calibration's rules "Calibration ", the scans "Scan " (each with its blank).
inline constexpr const char* kWireRulesSection = "Voltage Probe Sample Rules";
inline constexpr const char* kPointRulesKey = "Point ";
inline constexpr const char* kCalibrationRulesKey = "Calibration ";
inline constexpr const char* kScanRulesKey = "Scan ";

class CSampRulesWire : public CVelmObs {
    VELM_DECLARE_SERIAL(CSampRulesWire)

  public:
    void Serialize(CArchive& ar) override;
    // Acquisition time of what the rules take: wait plus the averaging time of a point, or of
    // a reference for rules marked for references.
    double GetNumber() const override { return GetNumber(MakesReferences()); }
    // Wait plus the averaging time of a reference (`forReference`) or of a point; the
    // reference mark of SamplePeriod is no part of a time.
    double GetNumber(bool forReference) const;
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;
    void AddToList(CObsRegister& reg) const override;
    void GetOperationName(std::string& text) const override;
    std::unique_ptr<CVelmObs> Clone() const override;

    // The rules' own fields on a fresh object (time stamp and positions stay fresh).
    void CopyRulesFrom(const CSampRulesWire& other);
    bool MakesReferences() const { return SamplePeriod < 0.0; }
    // The four fields are equal (time stamps aside).
    bool SameRules(const CSampRulesWire& other) const;

    // ---- Settings (SampRulesWireSettings.cpp) ----------------------------------------------
    // The line under `key`. LoadSettings is false when the key is missing (fields unchanged);
    // a line that is there but cannot be used in full is added to `problems`.
    bool SaveSettings(const char* key) const;
    bool LoadSettings(const char* key, std::string* problems = nullptr);
    // The "Current Density Probe Sampling Rules" dialog on the values under "Point ".
    bool Edit(CTechniques& techniques) override;
    // A reference when SamplePeriod < 0, else a point.
    CObsList TakeObservation(CTechniques& techniques) override;

    double WaitPeriod = 0.02;
    double RefPeriod = 3.0;
    double SamplePeriod = 0.5;
    int FirstChan = 0;
};
