#pragma once
// Sampling rules of raw A/D observations: a range of consecutive channels, either averaged
// over a time or recorded as a burst of samples at a fixed rate.

#include "obs/VelmObs.h"

inline constexpr const char* kRawADRulesSection = "Raw A/D Sample Rules";

class CSampRulesRawAD : public CVelmObs {
    VELM_DECLARE_SERIAL(CSampRulesRawAD)

  public:
    void Serialize(CArchive& ar) override;
    double GetNumber() const override;
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;
    void AddToList(CObsRegister& reg) const override;
    void GetOperationName(std::string& text) const override;
    std::unique_ptr<CVelmObs> Clone() const override;

    void CopyRulesFrom(const CSampRulesRawAD& other);
    // LastChan - FirstChan + 1 (0 or less when the range is empty).
    int ChannelCount() const { return LastChan - FirstChan + 1; }
    // The eight fields are equal (time stamps aside).
    bool SameRules(const CSampRulesRawAD& other) const;

    // ---- Settings (SampRulesRawADSettings.cpp) ----------------------------------------------
    // The line under `key` (the document's rules use "Point "), as for the CDP rules.
    bool SaveSettings(const char* key) const;
    bool LoadSettings(const char* key, std::string* problems = nullptr);
    // The "Raw A/D Sampling Rules" dialog on the values under "Point ".
    bool Edit(CTechniques& techniques) override;
    // New CRawADObs with a copy of the rules: one, or one per channel of a burst.
    CObsList TakeObservation(CTechniques& techniques) override;

    double WaitSec = 0.02;
    int32_t BurstNum = 100;
    double BurstFreq = 100.0;
    double AvgSec = 0.2;
    int average = 1;
    int interleave = 1;
    int FirstChan = 4;
    int LastChan = 4;
};
