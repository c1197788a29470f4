#pragma once
// Gradient probe (ISP/PVP) observations: one pass over the rules' path, repeated, gives a
// point observation (values and the reference values in force) or a reference (values only).
// Values are repetition-major: point p of repetition r is at r * nPoints + p.

#include <string>
#include <vector>

#include "obs/VelmObs.h"

class CSampRulesIon;
class CIonCalibration;

// What a gradient point and a gradient reference have in common.
class CIonReading : public CVelmObs {
  public:
    void Serialize(CArchive& ar) override;
    void FreeData() override;

    // Allocates nPoints x nReps values (and reference values for a point), all zero.
    void SetShape(int points, int reps);
    size_t ValueCount() const;
    double Value(int rep, int point) const { return values[Slot(rep, point)]; }

    std::string name;
    double da0 = 0.0;
    double da1 = 0.0;
    int nPoints = 0;  // stored as signed 16-bit numbers
    int nReps = 0;
    std::vector<double> values;
    std::vector<double> refValues;  // points only

  protected:
    virtual bool HasRefValues() const = 0;
    size_t Slot(int rep, int point) const {
        return static_cast<size_t>(rep) * static_cast<size_t>(nPoints) + static_cast<size_t>(point);
    }
    // Title, values and, with matching rules, the gradient of each calculation.
    void DescribeReading(std::string& text, const CDataDocument* document, unsigned options,
                         const char* title, const char* numberedTitle) const;
    // Mean over repetitions first..last (0-based, inclusive) of the difference of points i and
    // j; false when no value can be given.
    bool MeanDifference(const CSampRulesIon& rules, const CIonCalibration* cal, bool subtractRef,
                        int i, int j, int first, int last, double& out) const;
};

class CIonObs : public CIonReading {
    VELM_DECLARE_SERIAL(CIonObs)

  public:
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;
    bool GetSurfaceValue(const SSurfaceQuantity& quantity, const CDataDocument* document,
                         double& value) const override;
    int GetValue(double& value, int code, const CDataDocument* document,
                 const SValueQuery* query) const override;

  protected:
    bool HasRefValues() const override { return true; }
};

class CIonReference : public CIonReading {
    VELM_DECLARE_SERIAL(CIonReference)

  public:
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;

    // ---- Settings (IonReferenceSettings.cpp) -------------------------------------------------
    // The station's current reference of the probe `name`, in the probe's section: "Reference"
    // ("da0=%lf  da1=%lf  numPoints=%d  numReps=%d") and per repetition r "Reference r" with
    // "%03d:%lf" for each point, two blanks apart.
    bool SaveSettings() const;
    // False when the probe has no stored reference. A value that is missing reads as 0; counts
    // beyond what a path can hold are refused.
    bool LoadSettings(std::string* problems = nullptr);

  protected:
    bool HasRefValues() const override { return false; }
};

// Most values one gradient reading may hold (8 MB of doubles, and as much again for the
// reference values of a point).
inline constexpr size_t kMaxIonValues = size_t{1} << 20;
