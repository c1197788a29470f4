#pragma once
// An interest point: a marked position, nothing more than the base fields.

#include "obs/VelmObs.h"

class CInterestPointObs : public CVelmObs {
    VELM_DECLARE_SERIAL(CInterestPointObs)

  public:
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;
};
