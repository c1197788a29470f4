#pragma once
// Sampling rules of the current-density probe (CDP): the settling wait, the averaging times of
// point and reference readings, and the first of the four A/D channels that carry the lock-in
// outputs. A negative SamplePeriod marks rules that produce reference observations.

#include "obs/VelmObs.h"

class CSampRulesWire : public CVelmObs {
    VELM_DECLARE_SERIAL(CSampRulesWire)

  public:
    void Serialize(CArchive& ar) override;
    // Acquisition time: wait plus the averaging time of a point (or of a reference).
    double GetNumber() const override { return GetNumber(false); }
    double GetNumber(bool forReference) const;
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void AddToList(CObsRegister& reg) const override;
    void GetOperationName(std::string& text) const override;
    std::unique_ptr<CVelmObs> Clone() const override;

    // The rules' own fields on a fresh object (time stamp and positions stay fresh).
    void CopyRulesFrom(const CSampRulesWire& other);
    bool MakesReferences() const { return SamplePeriod < 0.0; }

    double WaitPeriod = 0.02;
    double RefPeriod = 3.0;
    double SamplePeriod = 0.5;
    int FirstChan = 0;
};
