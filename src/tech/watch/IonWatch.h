#pragma once
// "Watch ISP/PVP Values": a gradient acquisition of the selected probe at every tick, the
// reference and sample values of each point and the difference of each gradient calculation as
// tip values, concentrations or percentages, one trace per calculation; "Bath Offset", the
// p[] units of the probe's calibration, rotation and tilt steps that make new rules, and "Move"
// along the rotated axis.

#include <string>
#include <vector>

#include "tech/watch/Watch.h"

// What the values are shown as.
enum class EIonWatchUnits {
    Tip,            // "Tip Voltage" (mV) or "Tip Current" (pA) by the probe's type
    Concentration,  // "Tip Conc." (mM, or p[] units), differences "dConc"
    Percent,        // "Tip Percent": the sample as a percentage of the reference
};

class CIonWatch : public CWatch {
  public:
    static constexpr const char* kTitle = "Watch ISP/PVP Values";
    static constexpr double kAngleStep = 10.0;

    // Watches `probe` (the probe selected when the window opened).
    CIonWatch(CStation& station, std::string probe);

    std::string Title() const override { return kTitle; }
    double SamplingTime() const override;
    const std::string& Probe() const { return probe; }

    // ---- Display ----------------------------------------------------------------------------
    void SetUnits(EIonWatchUnits units);
    EIonWatchUnits Units() const { return units; }
    // "Use Calibration": concentrations (true) or tip values.
    void SetUseCalibration(bool on) {
        SetUnits(on ? EIonWatchUnits::Concentration : EIonWatchUnits::Tip);
    }
    // "Subtract Reference" from the differences.
    void SetSubtractReference(bool on);
    bool SubtractReference() const { return subtractReference; }
    // "Reference (mV):", "Sample (mV):", "Show uV:" and their (mM), (pA), (%) forms.
    std::string ReferenceLabel() const;
    std::string SampleLabel() const;
    std::string DifferenceLabel() const;
    // The rows of the last tick: values per point ("%.3lg, %.3lg, ...") and per calculation.
    std::string ReferenceText() const;
    std::string SampleText() const;
    std::string DifferenceText() const;
    const std::vector<double>& Differences() const { return differences; }

    // ---- Buttons ----------------------------------------------------------------------------
    // Pauses, takes a gradient reference, shows it and asks "Save this reference sample?".
    bool Reference();
    // "Bath Offset": the bath update of the probe's rules; the D/A outputs in mV after it.
    bool BathOffset();
    std::string BathOffsetText() const { return bathOffset; }
    // "Show as p[] units": toggles the probe calibration's logScale (kept in velm.ini).
    bool TogglePUnits();
    bool PUnits() const;
    // Rotation and tilt: a new angle makes new rules of the probe (stamped, saved, appended to
    // the document). The rotation wraps into (-180, 180]; the tilt stays inside -90..90.
    bool SetRotation(double degrees);
    bool SetTilt(double degrees);
    bool StepRotation(int direction) { return SetRotation(Rotation() + direction * kAngleStep); }
    bool StepTilt(int direction) { return SetTilt(Tilt() + direction * kAngleStep); }
    double Rotation() const;
    double Tilt() const;
    std::string RotationText() const;  // "%.3lg"
    std::string TiltText() const;
    // "Move": the probe by (increment, 0, 0, 0) rotated with the rules' rotation and tilt.
    bool Move();
    bool SamplingRules();
    bool LogEntry();

    // ---- Settings ("Watch 0" to "Watch 3" of the probe's section) --------------------------
    int tip = 1;
    int gradient = 1;
    int graph = 0;
    int autoscale = 1;
    double scale = 10.0;
    double moveIncrement = 10.0;

  protected:
    bool Acquire(CObsList& taken) override;
    void LoadSettings() override;
    void SaveSettings() const override;
    std::string RangeMessage(double low, double high) const override;

  private:
    std::string Section() const;
    bool KeepAngles(double rot, double tilt);
    double Shown(double value) const;
    void Recompute();

    std::string probe;
    EIonWatchUnits units = EIonWatchUnits::Tip;
    bool subtractReference = false;
    bool hasValues = false;
    std::vector<double> sampleMeans, referenceMeans;
    std::vector<double> shownSamples, shownReferences, differences;
    std::string bathOffset;
};
