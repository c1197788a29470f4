#pragma once
// A gradient probe (ISP/PVP) calibration against two or three solutions of known
// concentration: a Nernst slope (mV per decade) or a polarographic standard curve, with the
// channels and gains the probe uses.

#include <string>

#include "obs/VelmObs.h"

inline constexpr uint16_t kIonNernst = 1482;
inline constexpr uint16_t kIonPolarographic = 1483;

class CIonCalibration : public CVelmObs {
    VELM_DECLARE_SERIAL(CIonCalibration)

  public:
    void Serialize(CArchive& ar) override;
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;
    void AddToList(CObsRegister& reg) const override;
    std::unique_ptr<CVelmObs> Clone() const override;

    // Solutions 1 and 2 sampled, and 3 too when it is used.
    bool IsComplete() const { return cal1 && cal2 && (!use3 || cal3); }
    // A tip value as a concentration (unchanged while the calibration is incomplete).
    double Convert(double v) const;
    // Convert(b) - Convert(a); a point without A/D channel contributes 0.
    double ConcDifference(double a, double b, bool noneA, bool noneB) const;
    // The tip value (mV or pA) of an A/D voltage with the D/A output `vda` of daChan.
    double TipValue(double volts, double vda) const;

    void CopyCalibrationFrom(const CIonCalibration& other);

    std::string name;
    double conc1 = 0.1, conc2 = 1.0, conc3 = 10.0;
    double volts1 = 0.0, volts2 = 0.0, volts3 = 0.0;
    double samplePeriod = 3.0;
    int loGainAdChan = 1;
    int hiGainAdChan = 0;
    int daChan = 0;
    int logScale = 0;
    double slope = 0.0;
    double intercept = 0.0;
    int autoBath = 1;
    int cal1 = 0, cal2 = 0, cal3 = 0;
    int use3 = 0;
    double outputGain = 100.0;
    double preampGain = 10.0;
    uint16_t type = kIonNernst;
};
