#include "obs/DibObs.h"

#include "obs/DataDocument.h"
#include "obs/LinkedFile.h"
#include "platform/Format.h"

bool OpenLinkedFile(const std::string& fileName, const CDataDocument* document) {
    const std::string path =
        ResolveLinkedFile(fileName, document ? document->GetPathName() : std::string());
    if (path.empty()) return false;
    return OpenDocumentFile(path);
}

void CDibObs::Serialize(CArchive& ar) {
    CVelmObs::Serialize(ar);
    ar.String(fileName);
}

SRgb CDibObs::GetColor() const {
    return ColorFor({0, 0, 255}, {192, 192, 255});
}

void CDibObs::Describe(std::string& text, const CDataDocument* document, unsigned options) const {
    CVelmObs::Describe(text, document, options);
    if (options & DetailFlags::kType) text += "DIB Image:  ";
    if (WantsData(options)) StrAppendf(text, "%s ", fileName.c_str());
}

bool CDibObs::Open(CDataDocument* document, unsigned) {
    return OpenLinkedFile(fileName, document);
}

void CDibObs::GetOperationName(std::string& text) const {
    text += "DIB Image:";
}

std::unique_ptr<CVelmObs> CDibObs::Clone() const {
    auto copy = std::make_unique<CDibObs>();
    copy->fileName = fileName;
    return copy;
}
