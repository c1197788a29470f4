#pragma once
// A grabbed image: the path of its bitmap file.

#include <string>

#include "obs/VelmObs.h"

class CDibObs : public CVelmObs {
    VELM_DECLARE_SERIAL(CDibObs)

  public:
    void Serialize(CArchive& ar) override;
    SRgb GetColor() const override;
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;
    bool Open(CDataDocument* document, unsigned options) override;
    bool Edit(CTechniques&) override { return true; }
    void GetOperationName(std::string& text) const override;
    std::unique_ptr<CVelmObs> Clone() const override;

    std::string fileName;
};

// Opens the linked file of an image, scan or video observation held by `document`: resolved
// next to the document when it has moved, then opened through the open-document hook.
bool OpenLinkedFile(const std::string& fileName, const CDataDocument* document);
