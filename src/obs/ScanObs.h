#pragma once
// A grid scan: the path of its scan document and its number. While a vector scan holds it as
// an operation, or while it is being exported, it keeps its scan document loaded; the scan
// layer provides that document behind the IScanDocument interface.

#include <memory>
#include <string>

#include "obs/VelmObs.h"

class IScanDocument {
  public:
    virtual ~IScanDocument() = default;
    // The estimated acquisition time of one scan, in seconds.
    virtual double GetNumber() const = 0;
    // Runs the scan set-up; false when cancelled.
    virtual bool Edit(CTechniques&) { return false; }
    // Runs the scan and returns the observation that records it (none on failure).
    virtual std::unique_ptr<CVelmObs> TakeObservation(CTechniques&) { return nullptr; }
};

class CScanObs : public CVelmObs {
    VELM_DECLARE_SERIAL(CScanObs)

  public:
    CScanObs();
    ~CScanObs() override;

    void Serialize(CArchive& ar) override;
    double GetNumber() const override;
    SRgb GetColor() const override;
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;
    bool Open(CDataDocument* document, unsigned options) override;
    CObsList TakeObservation(CTechniques& techniques) override;
    bool Edit(CTechniques& techniques) override;
    void GetOperationName(std::string& text) const override;

    std::string fileName;
    int scanNumber = 0;
    std::unique_ptr<IScanDocument> scanDocument;  // transient, not stored
};
