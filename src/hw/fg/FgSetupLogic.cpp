#include "hw/fg/FgSetupLogic.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "hw/FgBoard.h"
#include "platform/Format.h"
#include "platform/Services.h"

namespace {

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::string();
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

bool ParseInt(const std::string& text, int lo, int hi, int& out, int base = 10) {
    std::string t = Trim(text);
    if (t.empty() || t.size() > 12) return false;
    for (char c : t)
        if (!(base == 16 ? std::isxdigit(static_cast<unsigned char>(c))
                         : (std::isdigit(static_cast<unsigned char>(c)) || c == '-')))
            return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(t.c_str(), &end, base);
    if (*end != '\0' || errno == ERANGE || v < lo || v > hi) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

CFgSetupLogic::CFgSetupLogic(const CFgBoard& board) : cameraNames(board.CameraNames()) {
    type = board.type;
    controlPort = StrPrintf("%X", static_cast<unsigned>(board.controlPort));
    memoryBase = StrPrintf("%X", static_cast<unsigned>(board.memoryBase));
    tvStandard = board.tvStandard;
    pixelMode = board.pixelMode;
    captureWidth = std::to_string(board.captureWidth);
    captureHeight = std::to_string(board.captureHeight);
    previewWidth = std::to_string(board.previewWidth);
    previewHeight = std::to_string(board.previewHeight);
    averageFrames = std::to_string(board.averageFrames);
    aspect = StrPrintf("%g", board.aspect);
    cam0Installed = board.cam0Installed != 0;
    cam0InvX = board.cam0InvX != 0;
    cam0InvY = board.cam0InvY != 0;
    cam0Channel = std::to_string(board.cam0Channel);
    cam1Installed = board.cam1Installed != 0;
    cam1InvXY = board.cam1InvXY != 0;
    cam1InvZ = board.cam1InvZ != 0;
    cam1ZOnly = board.cam1ZOnly != 0;
    cam1Axis = board.cam1Axis;
    cam1Channel = std::to_string(board.cam1Channel);
}

bool CFgSetupLogic::PortsUsed() const {
    return type == kFgComputerEyes1024 || type == kFgPCVisionPlus || type == kFgAverKeyOverlay ||
           type == kFgComputerEyesPCI;
}

bool CFgSetupLogic::ColourModesUsed() const {
    return type == kFgComputerEyes1024 || type == kFgComputerEyesPCI ||
           CFgBoard::IsAcquisitionType(type) || type == kFgFileBased;
}

bool CFgSetupLogic::AveragingUsed() const {
    return type == kFgComputerEyes1024 || type == kFgComputerEyesPCI;
}

bool CFgSetupLogic::TvStandardUsed() const {
    return type != kFgNone && type != kFgFileBased;
}

bool CFgSetupLogic::Fail(const std::string& entry, const std::string& message) {
    badEntry = entry;
    Prompt().Message(message, EPromptIcon::Exclamation, kTitle);
    return false;
}

bool CFgSetupLogic::Accept() {
    isAccepted = false;
    badEntry.clear();
    const auto& offered = CFgBoard::OfferedTypes();
    if (std::find(offered.begin(), offered.end(), type) == offered.end())
        return Fail("type", "Choose a frame grabber from the list.");
    SValues v;
    if (!ParseInt(controlPort, 0, 0xFFFF, v.controlPort, 16))
        return Fail("controlPort", "Port: enter 1 to 4 hexadecimal digits.");
    if (!ParseInt(memoryBase, 0, 0xFFFFF, v.memoryBase, 16))
        return Fail("memoryBase", "Memory: enter 1 to 5 hexadecimal digits.");
    const std::string sizeRange = StrPrintf("enter a whole number of pixels from %d to %d.",
                                            CFgBoard::kMinImageSize, CFgBoard::kMaxImageSize);
    if (!ParseInt(captureWidth, CFgBoard::kMinImageSize, CFgBoard::kMaxImageSize, v.captureWidth))
        return Fail("captureWidth", "Capture width: " + sizeRange);
    if (!ParseInt(captureHeight, CFgBoard::kMinImageSize, CFgBoard::kMaxImageSize, v.captureHeight))
        return Fail("captureHeight", "Capture height: " + sizeRange);
    if (!ParseInt(previewWidth, CFgBoard::kMinImageSize, CFgBoard::kMaxImageSize, v.previewWidth))
        return Fail("previewWidth", "Preview width: " + sizeRange);
    if (!ParseInt(previewHeight, CFgBoard::kMinImageSize, CFgBoard::kMaxImageSize, v.previewHeight))
        return Fail("previewHeight", "Preview height: " + sizeRange);
    if (!ParseInt(averageFrames, 1, kMaxAverageFrames, v.averageFrames))
        return Fail("averageFrames", "Average: enter a whole number of frames from 1 to 100.");
    char* end = nullptr;
    const std::string a = Trim(aspect);
    v.aspect = std::strtod(a.c_str(), &end);
    if (a.empty() || *end != '\0' || !std::isfinite(v.aspect) || v.aspect < kMinAspect ||
        v.aspect > kMaxAspect)
        return Fail("aspect", "Aspect: enter a pixel height/width ratio from 0.1 to 10.");
    if (!ParseInt(cam0Channel, 0, kMaxChannel, v.cam0Channel))
        return Fail("cam0Channel", "Camera 0 channel: enter a whole number from 0 to 15.");
    if (!ParseInt(cam1Channel, 0, kMaxChannel, v.cam1Channel))
        return Fail("cam1Channel", "Camera 1 channel: enter a whole number from 0 to 15.");
    if (!CFgBoard::HasCapturePath(type) && type != kFgNone)
        Prompt().Message(StrPrintf("VELM for Linux cannot drive the %s board; until it can, its "
                                   "images are a test pattern.",
                                   CFgBoard::TypeName(type)),
                         EPromptIcon::Information, kTitle);
    accepted = v;
    isAccepted = true;
    return true;
}

void CFgSetupLogic::ApplyTo(CFgBoard& board) const {
    if (!isAccepted) return;
    board.type = type;
    board.controlPort = accepted.controlPort;
    board.memoryBase = accepted.memoryBase;
    board.tvStandard = tvStandard == kTvStandardPal ? kTvStandardPal : kTvStandardNtsc;
    board.pixelMode =
        (pixelMode == kPixelModeColour8 || pixelMode == kPixelModeRgb24) && ColourModesUsed()
            ? pixelMode
            : kPixelModeGrey;
    board.captureWidth = accepted.captureWidth;
    board.captureHeight = accepted.captureHeight;
    board.previewWidth = accepted.previewWidth;
    board.previewHeight = accepted.previewHeight;
    board.averageFrames = accepted.averageFrames;
    board.aspect = accepted.aspect;
    board.cam0Installed = cam0Installed;
    board.cam0InvX = cam0InvX;
    board.cam0InvY = cam0InvY;
    board.cam0Channel = accepted.cam0Channel;
    board.cam1Installed = cam1Installed;
    board.cam1InvXY = cam1InvXY;
    board.cam1InvZ = cam1InvZ;
    board.cam1ZOnly = cam1ZOnly;
    board.cam1Axis = cam1Axis == kCameraPlaneXZ ? kCameraPlaneXZ : kCameraPlaneYZ;
    board.cam1Channel = accepted.cam1Channel;
}

std::string CFgSetupLogic::CameraDeviceText(int camera) const {
    if (camera >= 0 && static_cast<size_t>(camera) < cameraNames.size())
        return StrPrintf("Camera %d is %s.", camera,
                         cameraNames[static_cast<size_t>(camera)].c_str());
    return StrPrintf("No camera %d is connected.", camera);
}
