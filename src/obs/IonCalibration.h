#pragma once
// A gradient probe (ISP/PVP) calibration against two or three solutions of known
// concentration: a Nernst slope (mV per decade) or a polarographic standard curve, with the
// channels and gains the probe uses.

#include <string>

#include "obs/VelmObs.h"

inline constexpr uint16_t kIonNernst = 1482;
inline constexpr uint16_t kIonPolarographic = 1483;

// The velm.ini section of one probe: its calibration, sampling rules and reference. Built by
// joining, never as a format: a probe name is the user's text.
std::string IonProbeSection(const std::string& probeName);

class CIonCalibration : public CVelmObs {
    VELM_DECLARE_SERIAL(CIonCalibration)

  public:
    void Serialize(CArchive& ar) override;
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;
    void AddToList(CObsRegister& reg) const override;
    std::unique_ptr<CVelmObs> Clone() const override;
    // "Edit ISP/PVP Calibration" on this stored calibration (through the station's editor).
    bool Open(CDataDocument* document, unsigned options) override;

    // Solutions 1 and 2 sampled, and 3 too when it is used.
    bool IsComplete() const { return cal1 && cal2 && (!use3 || cal3); }
    // Complete, with a slope that can be divided by and a finite intercept: only then do tip
    // values become concentrations.
    bool IsUsable() const;
    // A tip value as a concentration: Nernst 10^((v - intercept) / slope) (or 3 - log10 of it
    // in p[] units); polarographic the standard curve read backwards, (v - intercept) / slope.
    // Unchanged while the calibration is not usable.
    double Convert(double v) const;
    // Convert(b) - Convert(a); a point without A/D channel contributes 0.
    double ConcDifference(double a, double b, bool noneA, bool noneB) const;
    // The tip value (mV or pA) of an A/D voltage with the D/A output `vda` of daChan.
    double TipValue(double volts, double vda) const;

    // The least-squares line through the sampled solutions (x = log10 of the concentration for
    // the Nernst type, the concentration for the polarographic one). False, with slope and
    // intercept left as they are, when the solutions in use cannot give one.
    bool Fit();

    void CopyCalibrationFrom(const CIonCalibration& other);
    // Every stored value is equal (time stamps and positions aside).
    bool SameValues(const CIonCalibration& other) const;
    // Why the channels or gains cannot be used (A/D 0..7, D/A 0 or 1, gains finite and not
    // 0), or "".
    std::string SetupProblem() const;

    // ---- Settings (IonCalibrationSettings.cpp) -------------------------------------------------
    // "A/D Board Parameters" and "Calibration 0" to "Calibration 2" of the probe's section.
    bool SaveSettings() const;
    // False when the probe has no stored calibration ("Calibration 0" missing); its channels
    // are read all the same. Lines that are there but cannot be used go to `problems` and keep
    // the values they could not give.
    bool LoadSettings(std::string* problems = nullptr);

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
