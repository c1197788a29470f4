#include "obs/ScanObs.h"

#include "obs/DataDocument.h"
#include "obs/DibObs.h"
#include "platform/Format.h"

CScanObs::CScanObs() = default;
CScanObs::~CScanObs() = default;

void CScanObs::Serialize(CArchive& ar) {
    CVelmObs::Serialize(ar);
    ar.String(fileName);
    ar.Word(scanNumber);
}

double CScanObs::GetNumber() const {
    return scanDocument ? scanDocument->GetNumber() : 1.0;
}

SRgb CScanObs::GetColor() const {
    return ColorFor({255, 0, 0}, {255, 192, 192});
}

void CScanObs::Describe(std::string& text, const CDataDocument* document, unsigned options) const {
    CVelmObs::Describe(text, document, options);
    if (options & DetailFlags::kType) StrAppendf(text, "Scan %d:  ", scanNumber);
    if (WantsData(options)) StrAppendf(text, "%s ", fileName.c_str());
}

bool CScanObs::Open(CDataDocument* document, unsigned) {
    return OpenLinkedFile(fileName, document);
}

CObsList CScanObs::TakeObservation(CTechniques& techniques) {
    CObsList taken;
    if (!scanDocument) return taken;
    if (std::unique_ptr<CVelmObs> obs = scanDocument->TakeObservation(techniques))
        taken.push_back(std::move(obs));
    return taken;
}

bool CScanObs::Edit(CTechniques& techniques) {
    return scanDocument ? scanDocument->Edit(techniques) : false;
}

void CScanObs::GetOperationName(std::string& text) const {
    text += "Grid Scan";
}
