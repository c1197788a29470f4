#include "hw/FgBoard.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "hw/fg/AdjustInputLogic.h"
#include "hw/fg/FgSetupLogic.h"
#include "hw/fg/FileGrabber.h"
#include "hw/fg/LiveSources.h"
#include "hw/fg/LiveVideo.h"
#include "hw/fg/PickOnImageLogic.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "settings/Profile.h"
#include "settings/RootDirectory.h"

namespace {

constexpr const char* kTypeNames[kFgTypeCount] = {
    "<None>",
    "Computer Eyes/1024",
    "PCVision Plus",
    "Matrox IP-8",
    "Matrox PIP-640",
    "Metrabyte MV-1",
    "AverKey Overlay",
    "Computer Eyes/PCI",
    "NI-IMAQ (PCI-1408/9)",
    "NI-IMAQ (PCI-1428)",
    "NI-IMAQ (PCI-1411)",
    "File-based",
};

bool IsColourCapable(int type) {
    return type == kFgComputerEyes1024 || type == kFgComputerEyesPCI ||
           CFgBoard::IsAcquisitionType(type) || type == kFgFileBased;
}

// Settings values that cannot be used, for one message after loading.
class CProblems {
  public:
    void Add(const std::string& text) { StrAppendf(list, "\n  %s", text.c_str()); }
    void Line(const char* key, int got, int expected) {
        if (got >= expected) return;
        std::string line = Profile().GetProfileString(kFrameGrabberSection, key);
        if (!line.empty()) Add(std::string(key) + "=" + line);
    }
    void Report() const {
        if (list.empty()) return;
        Prompt().Message("These settings of [Frame Grabber] in velm.ini could not be used:" + list +
                             "\n\nDefaults are used in their place; check them in Frame Grabber "
                             "Setup.",
                         EPromptIcon::Exclamation);
    }

  private:
    std::string list;
};

bool SizeOk(int v) {
    return v >= CFgBoard::kMinImageSize && v <= CFgBoard::kMaxImageSize;
}

}  // namespace

CFgBoard::CFgBoard() = default;

CFgBoard::~CFgBoard() = default;

const char* CFgBoard::TypeName(int type) {
    return type >= 0 && type < kFgTypeCount ? kTypeNames[type] : kTypeNames[0];
}

const std::vector<int>& CFgBoard::OfferedTypes() {
    static const std::vector<int> offered = {
        kFgNone,       kFgComputerEyes1024, kFgPCVisionPlus, kFgAverKeyOverlay, kFgComputerEyesPCI,
        kFgNiImaq1408, kFgNiImaq1428,       kFgNiImaq1411,   kFgFileBased};
    return offered;
}

bool CFgBoard::IsColour() const {
    return IsColourCapable(type) &&
           (pixelMode == kPixelModeColour8 || pixelMode == kPixelModeRgb24);
}

std::string CFgBoard::TransferFolder() {
    return JoinPath(GetRootDirectory(), "transfer");
}

std::unique_ptr<CImageAcquisition> CFgBoard::CreateAcquisition() const {
    return acquisitionFactory ? acquisitionFactory() : CreateImageAcquisition();
}

void FillTestPattern(uint8_t* buffer, int width, int height, int bytesPerPixel, int captureWidth) {
    const int modulus = std::max(captureWidth, 1);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = buffer + static_cast<size_t>(y) * width * bytesPerPixel;
        for (int x = 0; x < width; ++x) {
            const uint8_t value = static_cast<uint8_t>((x + y) % modulus);
            for (int b = 0; b < bytesPerPixel; ++b)
                row[x * bytesPerPixel + b] = value;
        }
    }
}

void CopyAcquiredFrame(const SAcquiredFrame& frame, int width, int height, int bytesPerPixel,
                       uint8_t* buffer) {
    if (!frame.IsConsistent()) return;
    const int rows = std::min(frame.height, height);
    const int columns = std::min(frame.width, width);
    const int in = frame.bytesPerPixel;
    for (int r = 0; r < rows; ++r) {
        // The frame comes top row first; the buffer keeps the bottom row first.
        const uint8_t* src = frame.data.data() + frame.rowBytes * static_cast<size_t>(r);
        uint8_t* dst = buffer + static_cast<size_t>(height - 1 - r) * width * bytesPerPixel;
        for (int x = 0; x < columns; ++x, src += in) {
            if (bytesPerPixel == 1) {
                dst[x] = in == 1 ? src[0] : static_cast<uint8_t>((src[0] + src[1] + src[2]) / 3);
            } else if (in == 1) {
                dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = src[0];
            } else {
                std::memcpy(dst + 3 * x, src, 3);
            }
        }
    }
}

bool CFgBoard::GetImage(std::vector<uint8_t>& buffer) {
    const int width = ImageWidth(), height = ImageHeight(), bytes = BytesPerPixel();
    if (!SizeOk(width) || !SizeOk(height)) {
        Prompt().Message(StrPrintf("The frame grabber's image size (%d x %d) is not usable; "
                                   "correct it in Frame Grabber Setup.",
                                   width, height),
                         EPromptIcon::Stop);
        return false;
    }
    try {
        buffer.resize(ImageBytes());
    } catch (const std::bad_alloc&) {
        Prompt().Message("Insufficient Memory for the frame grabber image.", EPromptIcon::Stop);
        return false;
    }
    if (IsAcquisitionType(type)) return GetAcquiredImage(buffer);
    if (type == kFgFileBased)
        return GrabFromTransferFolder(TransferFolder(), width, height, bytes, buffer.data());
    // No board, and the boards this program cannot drive: the test pattern.
    FillTestPattern(buffer.data(), width, height, bytes, captureWidth);
    return true;
}

bool CFgBoard::GetAcquiredImage(std::vector<uint8_t>& buffer) {
    std::unique_ptr<CImageAcquisition> acquisition = CreateAcquisition();
    SAcquisitionSetup setup{type,          currentCamera, ImageWidth(),
                            ImageHeight(), IsColour(),    InputSignal()};
    SAcquiredFrame frame;
    int status = OpenAcquisition(*acquisition, setup);
    if (status == 0) status = acquisition->Snap(frame);
    if (status != 0) {
        Prompt().Message(acquisition->ErrorText(status), EPromptIcon::Stop);
        acquisition->Close();
        return false;
    }
    acquisition->Close();
    if (!frame.IsConsistent()) {
        Prompt().Message("CFgBoard::GetImage() - The camera delivered a damaged image.",
                         EPromptIcon::Stop);
        return false;
    }
    CopyAcquiredFrame(frame, ImageWidth(), ImageHeight(), BytesPerPixel(), buffer.data());
    return true;
}

bool CFgBoard::GrabBitmap(CBitmapImage& image) {
    CBitmapImage grabbed = CBitmapImage::Blank(ImageWidth(), ImageHeight(), IsColour() ? 24 : 8);
    if (!grabbed.IsValid() || !GetImage(grabbed.pixels)) return false;
    image = std::move(grabbed);
    return true;
}

bool CFgBoard::SelectCamera(int camera) {
    if (camera == 0 ? !cam0Installed : camera == 1 ? !cam1Installed : true) return false;
    // The channel switch of the port-I/O boards has no Linux counterpart; cameras are
    // interfaces of their own ("img0", "img1").
    currentCamera = camera;
    return true;
}

SPixel CFgBoard::ClampPick(SPixel pixel) const {
    const int maxX = std::max(kPickMargin, captureWidth - kPickMargin);
    const int maxY = std::max(kPickMargin, captureHeight - kPickMargin);
    return {std::clamp(pixel.x, kPickMargin, maxX), std::clamp(pixel.y, kPickMargin, maxY)};
}

std::optional<SPixel> CFgBoard::TryPickOnImage(const std::string& prompt,
                                               const SPickMarkers& markers) {
    if (!SelectCamera(currentCamera)) return std::nullopt;  // no usable camera
    CPickOnImageLogic logic(*this, prompt, markers);
    if (pixelReadout) logic.pixelToMicrons = pixelReadout();
    logic.Grab();
    if (!FgDialogs().PickOnImage(logic) || !logic.result) return std::nullopt;
    return logic.result;
}

SPixel CFgBoard::PickOnImage(const std::string& prompt, const SPickMarkers& markers) {
    return TryPickOnImage(prompt, markers).value_or(SPixel{0, 0});
}

void CFgBoard::LocateOrigin() {
    for (int camera = 0; camera < 2; ++camera) {
        if (!SelectCamera(camera)) continue;
        std::optional<SPixel> at =
            TryPickOnImage(StrPrintf("Use cursor to show Camera %d origin position ...", camera));
        // Cancelling keeps the origin the optical systems rely on.
        if (!at) break;
        (camera == 0 ? origin0 : origin1) = *at;
    }
    SelectCamera(0);
    SaveSettings();
}

void CFgBoard::ZeroOrigin() {
    origin0 = origin1 = SPixel{captureWidth / 2, captureHeight / 2};
    SaveSettings();
}

void CFgBoard::ApplyInputSignal() {
    if (liveVideo) liveVideo->SetInput(InputSignal());
}

void CFgBoard::SetLiveVideo(CLiveVideo* video) {
    liveVideo = video;
    live = video != nullptr;
}

std::unique_ptr<CLiveFrameSource> CFgBoard::CreateLiveSource() {
    if (!SizeOk(ImageWidth()) || !SizeOk(ImageHeight())) {
        Prompt().Message(StrPrintf("The frame grabber's image size (%d x %d) is not usable; "
                                   "correct it in Frame Grabber Setup.",
                                   ImageWidth(), ImageHeight()),
                         EPromptIcon::Stop, "Live Video Error");
        return nullptr;
    }
    if (IsAcquisitionType(type)) {
        SAcquisitionSetup setup{type,          currentCamera, ImageWidth(),
                                ImageHeight(), IsColour(),    InputSignal()};
        return MakeCameraLiveSource(CreateAcquisition(), setup);
    }
    if (type == kFgFileBased) {
        CBitmapImage still;
        if (!GrabBitmap(still)) return nullptr;
        return MakeStillLiveSource(std::move(still));
    }
    return MakePatternLiveSource(ImageWidth(), ImageHeight(), IsColour(), captureWidth);
}

void CFgBoard::LoadSettings() {
    CProfile& profile = Profile();
    CProblems problems;
    const char* section = kFrameGrabberSection;

    std::string name = profile.GetProfileString(section, "Line 0", kTypeNames[0]);
    // Stations set up before the PCI-1409 was supported stored this name.
    if (name == "NI-IMAQ (PCI-1408)") name = kTypeNames[kFgNiImaq1408];
    type = kFgNone;
    bool known = false;
    for (int i = 0; i < kFgTypeCount; ++i)
        if (name == kTypeNames[i]) {
            type = i;
            known = true;
        }
    if (!known) problems.Add("Line 0=" + name + " (not a known frame grabber; none is used)");

    unsigned port = static_cast<unsigned>(controlPort), memory = static_cast<unsigned>(memoryBase);
    int pw = previewWidth, ph = previewHeight, cw = captureWidth, ch = captureHeight;
    int average = averageFrames;
    problems.Line("Line 1",
                  profile.ReadLine(section, "Line 1", "",
                                   "C=%X  M=%X  Preview=%dx%d  Capture=%dx%d  (avg %d)", &port,
                                   &memory, &pw, &ph, &cw, &ch, &average),
                  7);
    controlPort = static_cast<int>(port & 0xFFFF);
    memoryBase = static_cast<int>(memory & 0xFFFFF);
    if (SizeOk(pw) && SizeOk(ph)) {
        previewWidth = pw;
        previewHeight = ph;
    } else {
        problems.Add(StrPrintf("Preview size %d x %d", pw, ph));
    }
    if (SizeOk(cw) && SizeOk(ch)) {
        captureWidth = cw;
        captureHeight = ch;
    } else {
        problems.Add(StrPrintf("Capture size %d x %d", cw, ch));
    }
    if (average >= 1 && average <= CFgSetupLogic::kMaxAverageFrames)
        averageFrames = average;
    else
        problems.Add(StrPrintf("Frames to average: %d", average));

    int g = gain, o = offset, h = hue, s = saturation;
    unsigned mode = pixelMode;
    problems.Line("Line 2",
                  profile.ReadLine(section, "Line 2", "",
                                   "G=%d  O=%d  H=%d  S=%d  ILUT=%d  OLUT=%d (PC=%X)  Pal=%u", &g,
                                   &o, &h, &s, &inputLut, &outputLut, &paletteColour, &mode),
                  8);
    for (int* v : {&g, &o, &h, &s})
        *v = std::clamp(*v, CAdjustInputLogic::kMinValue, CAdjustInputLogic::kMaxValue);
    gain = g;
    offset = o;
    hue = h;
    saturation = s;
    if (mode == kPixelModeGrey || mode == kPixelModeColour8 || mode == kPixelModeRgb24)
        pixelMode = mode;
    else
        problems.Add(StrPrintf("Pixel mode %u", mode));

    double readAspect = aspect, seconds = secToSave;
    int tv = tvStandard;
    problems.Line("Line 3",
                  profile.ReadLine(section, "Line 3", "",
                                   "Aspect: %lf  Origin0: %d,%d  Origin1: %d,%d  TVStandard: %d  "
                                   "SecToSave=%lf",
                                   &readAspect, &origin0.x, &origin0.y, &origin1.x, &origin1.y, &tv,
                                   &seconds),
                  7);
    if (std::isfinite(readAspect) && readAspect > 0.0)
        aspect = readAspect;
    else
        problems.Add(StrPrintf("Aspect %g", readAspect));
    if (tv == kTvStandardNtsc || tv == kTvStandardPal)
        tvStandard = tv;
    else
        problems.Add(StrPrintf("TV standard %d", tv));
    if (std::isfinite(seconds) && seconds >= 0.0) secToSave = seconds;

    unsigned axis = cam1Axis;
    problems.Line(
        "Line 4",
        profile.ReadLine(section, "Line 4", "",
                         "Cam0=%d [ Chan=%d  Inv0=%d/%d ]  Cam1=%d [ Chan=%d  Axis=%u, "
                         "Inv1=%d/%d, ZOnly=%d ]",
                         &cam0Installed, &cam0Channel, &cam0InvX, &cam0InvY, &cam1Installed,
                         &cam1Channel, &axis, &cam1InvXY, &cam1InvZ, &cam1ZOnly),
        10);
    if (axis == kCameraPlaneXZ || axis == kCameraPlaneYZ)
        cam1Axis = axis;
    else
        problems.Add(StrPrintf("Camera 1 plane %u", axis));

    static const char kMissing[] = "\x01missing";
    if (profile.GetProfileString(section, "Live Refresh", kMissing) == kMissing) {
        profile.WriteProfileString(section, "Live Refresh", "5");
        liveRefresh = 5.0;
    } else {
        liveRefresh = CRefreshRateLogic::StoredRate(5.0);
        const std::string stored = profile.GetProfileString(section, "Live Refresh");
        char* end = nullptr;
        double parsed = std::strtod(stored.c_str(), &end);
        if (end == stored.c_str() || parsed != liveRefresh)
            problems.Add("Live Refresh=" + stored + " (5 refreshes per second are used)");
    }
    problems.Report();
    if (currentCamera != 0 && currentCamera != 1) currentCamera = 0;
}

void CFgBoard::SaveSettings() const {
    CProfile& profile = Profile();
    const char* section = kFrameGrabberSection;
    profile.WriteProfileString(section, "Line 0", TypeName(type));
    profile.WriteLine(section, "Line 1", "C=%X  M=%X  Preview=%dx%d  Capture=%dx%d  (avg %d)",
                      static_cast<unsigned>(controlPort), static_cast<unsigned>(memoryBase),
                      previewWidth, previewHeight, captureWidth, captureHeight, averageFrames);
    profile.WriteLine(section, "Line 2", "G=%d  O=%d  H=%d  S=%d  ILUT=%d  OLUT=%d (PC=%X)  Pal=%u",
                      gain, offset, hue, saturation, inputLut, outputLut, paletteColour, pixelMode);
    profile.WriteLine(section, "Line 3",
                      "Aspect: %lf  Origin0: %d,%d  Origin1: %d,%d  TVStandard: %d  SecToSave=%lf",
                      aspect, origin0.x, origin0.y, origin1.x, origin1.y, tvStandard, secToSave);
    profile.WriteLine(section, "Line 4",
                      "Cam0=%d [ Chan=%d  Inv0=%d/%d ]  Cam1=%d [ Chan=%d  Axis=%u, Inv1=%d/%d, "
                      "ZOnly=%d ]",
                      cam0Installed, cam0Channel, cam0InvX, cam0InvY, cam1Installed, cam1Channel,
                      cam1Axis, cam1InvXY, cam1InvZ, cam1ZOnly);
}

bool CFgBoard::Setup() {
    CFgSetupLogic logic(*this);
    if (!FgDialogs().EditFgSetup(logic)) return false;
    logic.ApplyTo(*this);
    SaveSettings();
    SelectCamera(cam0Installed ? 0 : 1);
    return true;
}

void CFgBoard::AdjustInput() {
    CAdjustInputLogic logic(*this);
    FgDialogs().AdjustInput(logic);
}
