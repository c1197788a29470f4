#include "obs/VidSeqObs.h"

#include "obs/DibObs.h"
#include "platform/Format.h"

void CVidSeqObs::Serialize(CArchive& ar) {
    CVelmObs::Serialize(ar);
    ar.String(fileName);
    ar.Vector(steps);
}

SRgb CVidSeqObs::GetColor() const {
    return ColorFor({0, 160, 0}, {128, 192, 128});
}

void CVidSeqObs::Describe(std::string& text, const CDataDocument* document,
                          unsigned options) const {
    CVelmObs::Describe(text, document, options);
    if (options & DetailFlags::kType) text += "Video Sequence:  ";
    if (WantsData(options))
        StrAppendf(text, "%s: %d x %d x %d x %d", fileName.c_str(), steps.x, steps.y, steps.z,
                   steps.w);
}

bool CVidSeqObs::Open(CDataDocument* document, unsigned) {
    return OpenLinkedFile(fileName, document);
}
