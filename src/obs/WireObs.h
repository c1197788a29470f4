#pragma once
// Current-density probe (CDP) observations: a point and a reference. Both hold the four
// lock-in voltages read (xInPh, xQuad, yInPh, yQuad as X, Y, Z, W) and the reference reading
// that is subtracted from them.

#include "obs/VelmObs.h"

// What a CDP point and a CDP reference have in common.
class CWireReading : public CVelmObs {
  public:
    void Serialize(CArchive& ar) override;
    int GetValue(double& value, int code, const CDataDocument* document,
                 const SValueQuery* query) const override;

    CDVector4 reading;
    CDVector4 reference;

  protected:
    // The title and the calibrated values (when a calibration is in force).
    void DescribeReading(std::string& text, const CDataDocument* document, unsigned options,
                         const char* title) const;
    virtual int ValueKind() const = 0;
};

class CWireObs : public CWireReading {
    VELM_DECLARE_SERIAL(CWireObs)

  public:
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;
    bool GetSurfaceValue(const SSurfaceQuantity& quantity, const CDataDocument* document,
                         double& value) const override;

  protected:
    int ValueKind() const override { return 2; }
};

class CWireReference : public CWireReading {
    VELM_DECLARE_SERIAL(CWireReference)

  public:
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;

  protected:
    int ValueKind() const override { return 3; }
};
