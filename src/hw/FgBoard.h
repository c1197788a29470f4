#pragma once
// The frame grabber: still images from one or two cameras, the live video source, and the
// camera origins that the optical systems use to turn image pixels into stage microns.
//
// Besides camera boards there is a file-based grabber, which asks an outside program for each
// image through the transfer folder, and with no board (or a board Linux cannot drive) a
// synthetic test pattern, so the whole image path runs without hardware.
//
// Images are buffers of ImageWidth() x ImageHeight() pixels, bottom row first, one byte per
// pixel (grey) or three (blue, green, red) when IsColour(). Pixels picked with the cursor are
// counted from the image's top-left corner, x to the right and y down.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hw/Bmp.h"
#include "hw/fg/FgDialogs.h"
#include "hw/fg/FgTypes.h"
#include "hw/fg/ImageAcquisition.h"
#include "platform/Vector4.h"

class CLiveVideo;
class CLiveFrameSource;

enum EFgType {
    kFgNone = 0,
    kFgComputerEyes1024 = 1,
    kFgPCVisionPlus = 2,
    kFgMatroxIP8 = 3,
    kFgMatroxPIP640 = 4,
    kFgMetrabyteMV1 = 5,
    kFgAverKeyOverlay = 6,
    kFgComputerEyesPCI = 7,
    kFgNiImaq1408 = 8,
    kFgNiImaq1428 = 9,
    kFgNiImaq1411 = 10,
    kFgFileBased = 11,
    kFgTypeCount = 12
};

// Radio-button identifiers stored in the settings.
inline constexpr unsigned kPixelModeGrey = 1487;
inline constexpr unsigned kPixelModeColour8 = 1488;
inline constexpr unsigned kPixelModeRgb24 = 1489;
inline constexpr int kTvStandardNtsc = 1483;
inline constexpr int kTvStandardPal = 1484;
inline constexpr unsigned kCameraPlaneXZ = 1480;
inline constexpr unsigned kCameraPlaneYZ = 1481;

inline constexpr const char* kFrameGrabberSection = "Frame Grabber";

class CFgBoard {
  public:
    // Picked pixels stay this far inside the image.
    static constexpr int kPickMargin = 5;
    // Usable capture and preview sizes.
    static constexpr int kMinImageSize = 16;
    static constexpr int kMaxImageSize = 8192;
    // The file-based grabber waits this long for the outside program's image.
    static constexpr uint64_t kFileWaitMs = 30000;
    static constexpr uint64_t kFilePollMs = 100;
    // A still grab from running live video waits this long for the stream's next frame.
    static constexpr int kLiveFrameWaitMs = 5000;

    CFgBoard();
    ~CFgBoard();
    CFgBoard(const CFgBoard&) = delete;
    CFgBoard& operator=(const CFgBoard&) = delete;

    int type = kFgNone;
    int controlPort = 0x230;
    int memoryBase = 0xD000;
    int tvStandard = kTvStandardNtsc;
    int captureHeight = 480;
    int captureWidth = 640;
    int previewHeight = 240;
    int previewWidth = 320;
    unsigned pixelMode = kPixelModeGrey;
    double aspect = 1.0;
    SPixel origin0{320, 240};
    SPixel origin1{320, 240};
    int cam0Installed = 1;
    int cam0InvX = 0;
    int cam0InvY = 0;
    int cam1Installed = 0;
    int cam1InvXY = 0;
    int cam1InvZ = 0;
    int cam1ZOnly = 0;
    unsigned cam1Axis = kCameraPlaneYZ;
    double secToSave = 5.0;
    int cam0Channel = 0;
    int cam1Channel = 1;
    int currentCamera = 0;
    int averageFrames = 1;
    int gain = 50;
    int offset = 75;
    int hue = 50;
    int saturation = 50;
    int inputLut = 0;
    int outputLut = 0;
    unsigned paletteColour = 0;
    bool live = false;         // a live display is running
    bool preview = false;      // capture at the preview size
    double liveRefresh = 5.0;  // live refreshes per second

    // The type names as the settings and the setup dialog spell them.
    static const char* TypeName(int type);
    // The types the setup dialog offers, in its order.
    static const std::vector<int>& OfferedTypes();
    // Types with a camera (image acquisition) behind them.
    static bool IsAcquisitionType(int type) {
        return type >= kFgNiImaq1408 && type <= kFgNiImaq1411;
    }
    // Types this program captures from; the others give the test pattern.
    static bool HasCapturePath(int type) { return IsAcquisitionType(type) || type == kFgFileBased; }

    bool IsColour() const;
    int ImageWidth() const { return preview ? previewWidth : captureWidth; }
    int ImageHeight() const { return preview ? previewHeight : captureHeight; }
    int BytesPerPixel() const { return IsColour() ? 3 : 1; }
    size_t ImageBytes() const {
        return static_cast<size_t>(ImageWidth()) * ImageHeight() * BytesPerPixel();
    }
    SInputSignal InputSignal() const { return {gain, offset, hue, saturation}; }

    // Captures one image into `buffer` (resized to ImageBytes()). False after a failure, which
    // has been shown to the user; the buffer may then be partly or wholly unchanged. While live
    // video runs on the current camera, the image is the stream's next frame: a camera serves
    // one session at a time.
    bool GetImage(std::vector<uint8_t>& buffer);
    // The same as a bitmap ready to be saved: 8-bit grey or 24-bit colour.
    bool GrabBitmap(CBitmapImage& image);

    // Makes camera 0 or 1 current; false when it is not installed.
    bool SelectCamera(int camera);

    // Shows "Show Position on Frame Grabber" with `prompt` over the current camera's image and
    // returns the clicked pixel, or (0, 0) when cancelled or no camera is usable.
    SPixel PickOnImage(const std::string& prompt, const SPickMarkers& markers = {});
    // As PickOnImage, but a cancel is told apart from a click at (0, 0).
    std::optional<SPixel> TryPickOnImage(const std::string& prompt,
                                         const SPickMarkers& markers = {});
    // Keeps a pixel kPickMargin inside the capture area.
    SPixel ClampPick(SPixel pixel) const;
    SPixel Origin(int camera) const { return camera == 1 ? origin1 : origin0; }
    // What "( X, Y, Z, W ) microns from origin:" shows for a pixel under the cursor: the stage
    // offset from the camera's origin. The optical systems live above the devices, so whoever
    // owns the grabber installs the mapping; without one the line stays empty.
    std::function<std::optional<CDVector4>(int camera, SPixel pixel)> pixelToMicrons;

    // "Show Origin": the user clicks each installed camera's origin; then camera 0 is selected
    // again and the settings are saved. A cancelled click keeps that camera's origin.
    void LocateOrigin();
    // "Zero Origin": both origins to the middle of the capture area; saved.
    void ZeroOrigin();

    // Pushes the input signal values to the running camera (live video) at once.
    void ApplyInputSignal();

    void LoadSettings();
    void SaveSettings() const;
    // "Frame Grabber Setup"; on OK saves the settings and selects camera 0. True on OK.
    bool Setup();
    // "Adjust Frame Grabber Input Signal".
    void AdjustInput();

    // Live video: a source that produces the frames this grabber would, for the live-video
    // worker thread. Null (after a message) when none can be made.
    std::unique_ptr<CLiveFrameSource> CreateLiveSource();
    // The live window registers its running live video here (null when it stops), so that
    // input changes reach it and `live` is kept.
    void SetLiveVideo(CLiveVideo* video);
    CLiveVideo* LiveVideo() const { return liveVideo; }
    // The main frame's way to bring up the live window ("Preview" in the input dialog).
    std::function<void()> showLiveVideo;

    // Where camera images come from; tests install a fake.
    using CAcquisitionFactory = std::function<std::unique_ptr<CImageAcquisition>()>;
    void SetAcquisitionFactory(CAcquisitionFactory factory) {
        acquisitionFactory = std::move(factory);
    }
    std::unique_ptr<CImageAcquisition> CreateAcquisition() const;

    // The transfer folder of the file-based grabber: "transfer" in the root directory.
    static std::string TransferFolder();

    // The cameras image acquisition numbers 0, 1, ..., one line each ("/dev/video0 (USB
    // Camera)"), for the setup dialog.
    std::vector<std::string> CameraNames() const;

  private:
    bool GetAcquiredImage(std::vector<uint8_t>& buffer);
    bool GetLiveImage(std::vector<uint8_t>& buffer);

    CAcquisitionFactory acquisitionFactory;
    CLiveVideo* liveVideo = nullptr;
    // The camera the live source was made for (-1: a source that is no camera session).
    int liveCamera = -1;
};

// Copies an acquired frame (top row first) into a grabber buffer of `width` x `height`
// (bottom row first, `bytesPerPixel` 1 or 3), top-aligned; whatever of the buffer the frame
// does not cover is left as it was.
void CopyAcquiredFrame(const SAcquiredFrame& frame, int width, int height, int bytesPerPixel,
                       uint8_t* buffer);
// The no-board image: byte (x, y) = (x + y) mod captureWidth, every colour byte alike.
void FillTestPattern(uint8_t* buffer, int width, int height, int bytesPerPixel, int captureWidth);
