#pragma once
// A video image sequence: the path of its sequence file and the step counts along X, Y, Z, W.

#include <string>

#include "obs/VelmObs.h"

class CVidSeqObs : public CVelmObs {
    VELM_DECLARE_SERIAL(CVidSeqObs)

  public:
    void Serialize(CArchive& ar) override;
    SRgb GetColor() const override;
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;
    bool Open(CDataDocument* document, unsigned options) override;

    std::string fileName;
    CIVector4 steps;
};
