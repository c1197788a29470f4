#include "scan/VidSeqView.h"

#include <algorithm>
#include <filesystem>

#include "obs/DibObs.h"
#include "obs/LinkedFile.h"
#include "platform/Format.h"
#include "scan/VidSeqDoc.h"

namespace {
bool IsFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}
}  // namespace

CVidSeqViewLogic::CVidSeqViewLogic(const CVidSeqDoc& doc) : doc(doc), steps(doc.steps) {
    // Indices follow the order of taking, not the file names: names of sequences made
    // elsewhere may not be unique in form.
    if (doc.FrameCount() < 1) steps = CIVector4(1, 1, 1, 1);
    int64_t k = 0;
    for (size_t i = 0; i < doc.GetObsCount(); ++i) {
        const auto* dib = dynamic_cast<const CDibObs*>(doc.GetObsAt(i));
        if (!dib) continue;
        SFrame frame;
        frame.obs = i;
        if (LinkedFileName(dib->fileName) == CVidSeqDoc::kReferenceName) {
            frame.reference = true;
        } else {
            int64_t rest = k++;
            for (int axis = 0; axis < 3; ++axis) {
                frame.index[axis] = static_cast<int32_t>(rest % steps[axis]);
                rest /= steps[axis];
            }
            frame.index.w = static_cast<int32_t>(rest);
        }
        frames.push_back(frame);
    }
}

std::string CVidSeqViewLogic::Label(size_t frame) const {
    if (frame >= frames.size()) return std::string();
    const CVelmObs* obs = doc.GetObsAt(frames[frame].obs);
    const CDVector4& p = doc.tool == 'P' ? obs->probePosition : obs->samplePosition;
    return StrPrintf("%.3lg, %.3lg", p.x, p.y);
}

std::vector<size_t> CVidSeqViewLogic::Plane(int z, int w) const {
    std::vector<size_t> plane;
    for (size_t i = 0; i < frames.size(); ++i)
        if (!frames[i].reference && frames[i].index.z == z && frames[i].index.w == w)
            plane.push_back(i);
    return plane;
}

std::string CVidSeqViewLogic::PathOf(size_t frame) const {
    const auto& dib = static_cast<const CDibObs&>(*doc.GetObsAt(frames[frame].obs));
    if (IsFile(dib.fileName)) return dib.fileName;
    // Moved with its document (or copied from a Windows station): next to the document.
    const std::string& docPath = doc.GetPathName();
    const size_t sep = docPath.find_last_of('/');
    if (sep == std::string::npos) return std::string();
    const std::string candidate = docPath.substr(0, sep + 1) + LinkedFileName(dib.fileName);
    return IsFile(candidate) ? candidate : std::string();
}

bool CVidSeqViewLogic::Image(size_t frame, CBitmapImage& image, std::string& why) const {
    if (frame >= frames.size()) return false;
    const std::string path = PathOf(frame);
    const auto& dib = static_cast<const CDibObs&>(*doc.GetObsAt(frames[frame].obs));
    if (path.empty()) {
        why = "File " + dib.fileName + " not found.";
        return false;
    }
    SBmpStatus status = ReadBmpFile(path, image);
    if (!status.Ok()) {
        why = status.detail;
        return false;
    }
    if (frames[frame].reference || (doc.refUse != 'B' && doc.refUse != 'R')) return true;
    if (!referenceRead) {
        referenceRead = true;
        for (size_t i = 0; i < frames.size(); ++i) {
            if (!frames[i].reference) continue;
            const std::string refPath = PathOf(i);
            if (refPath.empty() || !ReadBmpFile(refPath, referenceImage).Ok())
                referenceImage = CBitmapImage();
            break;
        }
    }
    ApplyReference(image, referenceImage, doc.refUse);
    return true;
}

void CVidSeqViewLogic::ApplyReference(CBitmapImage& frame, const CBitmapImage& reference,
                                      char refUse) {
    if (refUse != 'B' && refUse != 'R') return;
    if (!frame.IsValid() || !reference.IsValid() || frame.width != reference.width ||
        frame.height != reference.height || frame.bitsPerPixel != reference.bitsPerPixel)
        return;
    for (size_t i = 0; i < frame.pixels.size(); ++i) {
        const int f = frame.pixels[i], r = reference.pixels[i];
        const int v =
            refUse == 'B' ? f - r + 128 : (r == 0 ? (f == 0 ? 128 : 255) : (128 * f + r / 2) / r);
        frame.pixels[i] = static_cast<uint8_t>(std::clamp(v, 0, 255));
    }
}
