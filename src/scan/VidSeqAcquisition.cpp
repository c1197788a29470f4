#include "scan/VidSeqAcquisition.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <new>

#include "hw/Bmp.h"
#include "hw/Devices.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "obs/DibObs.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "scan/VidSeqDoc.h"
#include "settings/RootDirectory.h"

namespace {

// Waits `seconds` on the station's clock.
void WaitSeconds(double seconds) {
    if (seconds > 0) Clock().WaitTicks(static_cast<uint64_t>(std::llround(seconds * 1000.0)));
}

// Sets the wait cursor for a scope.
class CBusyCursor {
  public:
    explicit CBusyCursor(const std::function<void(bool)>& show) : show(show) {
        if (show) show(true);
    }
    ~CBusyCursor() {
        if (show) show(false);
    }
    CBusyCursor(const CBusyCursor&) = delete;
    CBusyCursor& operator=(const CBusyCursor&) = delete;

  private:
    const std::function<void(bool)>& show;
};

}  // namespace

CVidSeqAcquisition::CVidSeqAcquisition(CVidSeqDoc& doc, CDevices& devices, std::string root)
    : doc(doc), devices(devices), root(std::move(root)) {}

void CVidSeqAcquisition::Progress(const std::string& text) {
    if (showProgress) showProgress(text);
}

bool CVidSeqAcquisition::GrabAveraged(CFgBoard& grabber, int count, CBitmapImage& image) {
    if (!grabber.GrabBitmap(image)) return false;
    if (count <= 1) return true;
    // Sums of up to 256 frames of 8-bit values fit 32 bits with room to spare.
    std::vector<uint32_t> sum(image.pixels.begin(), image.pixels.end());
    for (int n = 1; n < count; ++n) {
        CBitmapImage next;
        if (!grabber.GrabBitmap(next)) return false;
        if (next.pixels.size() != sum.size()) return false;
        for (size_t i = 0; i < sum.size(); ++i)
            sum[i] += next.pixels[i];
    }
    const uint32_t half = static_cast<uint32_t>(count) / 2;
    for (size_t i = 0; i < sum.size(); ++i)
        image.pixels[i] = static_cast<uint8_t>((sum[i] + half) / static_cast<uint32_t>(count));
    return true;
}

bool CVidSeqAcquisition::MoveTool(const CDVector4& position) {
    if (!moveTool) return true;
    CMsWcmc& stage = doc.tool == 'P' ? devices.ProbeSystem() : devices.SampleSystem();
    return stage.MoveAbsolute(position, doc.moveType) == CMsWcmc::kMoveDone;
}

bool CVidSeqAcquisition::TakeFrame(const std::string& name, int count) {
    const std::string path = JoinPath(folder, name);
    CBitmapImage image;
    if (!GrabAveraged(devices.FgBoard(), count, image)) return false;
    std::unique_ptr<CDibObs> frame;
    try {
        frame = std::make_unique<CDibObs>();
    } catch (const std::bad_alloc&) {
        Prompt().Message("Insufficient Memory for BMP Observation", EPromptIcon::Exclamation);
        return false;
    }
    std::string error;
    if (!WriteBmpFile(path, image, &error)) {
        Prompt().Message(
            StrPrintf("Image sequence: %s cannot be written.\n%s", path.c_str(), error.c_str()),
            EPromptIcon::Exclamation);
        return false;
    }
    written.push_back(path);
    frame->StampNow();
    frame->probePosition = devices.ProbeSystem().Position();
    frame->samplePosition = devices.SampleSystem().Position();
    frame->fileName = path;
    doc.AddObs(std::move(frame));
    return true;
}

bool CVidSeqAcquisition::Run() {
    if (doc.IsReadOnly()) {
        Prompt().Message("Attempt to acquire read-only scan.", EPromptIcon::Exclamation);
        return false;
    }
    folder = JoinPath(root, doc.seqDir);
    std::error_code ec;
    if (doc.seqDir.empty() || !std::filesystem::is_directory(folder, ec)) {
        Prompt().Message(StrPrintf("The sequence folder %s is not there; set the sequence up "
                                   "again.",
                                   folder.c_str()),
                         EPromptIcon::Exclamation);
        return false;
    }
    CMsWcmc& stage = doc.tool == 'P' ? devices.ProbeSystem() : devices.SampleSystem();
    moveTool = stage.HasBoard();
    if (!moveTool)
        Prompt().Message(StrPrintf("The %s stage has no motion system: the frames are taken "
                                   "without moving it.",
                                   doc.tool == 'P' ? "probe" : "sample"),
                         EPromptIcon::Information);

    CBusyCursor busy(showBusy);
    doc.DeleteContents();
    documentPath = JoinPath(folder, doc.FileName());
    endedEarly = false;
    auto endEarly = [this] {
        endedEarly = true;
        return false;
    };
    auto next = [&]() -> bool {
        if (escapePressed && escapePressed() &&
            Prompt().Ask(kTerminateQuestion, EPromptButtons::OkCancel, EPromptIcon::Question) ==
                EPromptAnswer::Ok)
            return endEarly();
        return true;
    };

    auto acquire = [&]() -> bool {
        if (doc.refUse != 'I') {
            const std::string path = JoinPath(folder, CVidSeqDoc::kReferenceName);
            Progress(StrPrintf("Acquiring 'Before' image to file %s ... ", path.c_str()));
            if (!MoveTool(doc.reference)) return endEarly();
            WaitSeconds(doc.wait);
            if (!TakeFrame(CVidSeqDoc::kReferenceName, doc.refCount)) return endEarly();
        }
        const CIVector4 n = doc.steps;
        CIVector4 i;
        int frame = 0;
        for (i.w = 0; i.w < n.w; ++i.w)
            for (i.z = 0; i.z < n.z; ++i.z)
                for (i.y = 0; i.y < n.y; ++i.y)
                    for (i.x = 0; i.x < n.x; ++i.x) {
                        if (!next()) return false;
                        const std::string name = doc.FrameName(i);
                        Progress(StrPrintf("Image sequence: frame %d of %lld, %s", ++frame,
                                           static_cast<long long>(doc.FrameCount()), name.c_str()));
                        if (!MoveTool(doc.FramePosition(i))) return endEarly();
                        WaitSeconds(doc.wait);
                        if (!TakeFrame(name, doc.average)) return endEarly();
                    }
        return true;
    };
    acquire();

    // Back to where the user wants the stages, whether the grid was finished or not.
    if (doc.homeProbe && devices.ProbeSystem().HasBoard())
        devices.ProbeSystem().MoveAbsolute(doc.probeHome, doc.moveType);
    if (doc.homeSample && devices.SampleSystem().HasBoard())
        devices.SampleSystem().MoveAbsolute(doc.sampleHome, doc.moveType);

    doc.readOnly = 1;
    if (!doc.OnSaveDocument(documentPath)) return false;
    Progress(StrPrintf("Image sequence saved as %s (%zu images).", documentPath.c_str(),
                       written.size()));
    return true;
}
