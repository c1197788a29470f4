#pragma once
// A raw A/D observation: the voltages of a range of channels, averaged (one value per
// channel) or recorded as a burst, with a copy of the rules that took it.

#include <vector>

#include "obs/SampRulesRawAD.h"
#include "obs/VelmObs.h"

class CRawADObs : public CVelmObs {
    VELM_DECLARE_SERIAL(CRawADObs)

  public:
    void Serialize(CArchive& ar) override;
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;
    bool GetSurfaceValue(const SSurfaceQuantity& quantity, const CDataDocument* document,
                         double& value) const override;
    int GetValue(double& value, int code, const CDataDocument* document,
                 const SValueQuery* query) const override;
    void FreeData() override;

    // Number of values the stored record carries for the rules: one per channel when
    // averaging, otherwise the burst sample count.
    size_t StoredValueCount() const;

    CSampRulesRawAD rules;
    // Averaging: channel c at c - FirstChan. Burst: BurstNum samples per channel (a record
    // loaded from a file holds only what the file stores).
    std::vector<double> values;
};
