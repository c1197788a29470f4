#pragma once
// Image acquisition boards and cameras ("interfaces" img0, img1, ...) reached through sessions
// with numbered attributes, the way the station's camera boards have always been driven. On
// Linux the implementation is Video4Linux2 (V4l2Acquisition.h): interface "imgN" is the N-th
// video capture node. Tests use a fake.
//
// Every operation returns 0 on success or a negative status whose text ErrorText gives.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Attribute numbers.
inline constexpr uint32_t kImgAttrRoiWidth = 0x3FF601A6;
inline constexpr uint32_t kImgAttrRoiHeight = 0x3FF601A7;
inline constexpr uint32_t kImgAttrRowPixels = 0x3FF600C1;
inline constexpr uint32_t kImgAttrBrightness = 0x3FF60099;  // -50 .. 50
inline constexpr uint32_t kImgAttrContrast = 0x3FF6009A;    // 0.5 .. 1.5
inline constexpr uint32_t kImgAttrSaturation = 0x3FF6009B;  // 0.5 .. 1.5
inline constexpr uint32_t kImgAttrColorMode = 0x3FF600AD;
inline constexpr uint32_t kImgAttrColorRepresentation = 0x3FF600AE;
inline constexpr uint32_t kImgAttrBitsPerPixel = 0x3FF60066;

// One acquired image as the device delivers it: top row first, rows `rowBytes` apart, one
// byte per pixel (grey) or four (blue, green, red, unused).
struct SAcquiredFrame {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 1;
    size_t rowBytes = 0;
    std::vector<uint8_t> data;

    bool IsConsistent() const {
        return width > 0 && height > 0 && (bytesPerPixel == 1 || bytesPerPixel == 4) &&
               rowBytes >= static_cast<size_t>(width) * bytesPerPixel &&
               data.size() >= rowBytes * static_cast<size_t>(height - 1) +
                                  static_cast<size_t>(width) * bytesPerPixel;
    }
};

class CImageAcquisition {
  public:
    virtual ~CImageAcquisition() = default;

    virtual int InterfaceOpen(const std::string& interfaceName) = 0;
    virtual int SessionOpen() = 0;
    virtual int GetAttribute(uint32_t attribute, double& value) = 0;
    virtual int SetAttribute(uint32_t attribute, double value) = 0;
    // One image into the acquisition's own buffer (`frame` is reused between calls).
    virtual int Snap(SAcquiredFrame& frame) = 0;
    // Continuous acquisition for live video: set up and start, then one Grab per frame
    // (waiting for the next one), then StopAcquisition.
    virtual int GrabSetup() = 0;
    virtual int Grab(SAcquiredFrame& frame) = 0;
    virtual int StopAcquisition() = 0;
    // Closes session and interface and frees their resources; safe to call twice.
    virtual void Close() = 0;
    virtual std::string ErrorText(int status) = 0;
    // What interfaces img0, img1, ... are, one line each, for the user (none known: empty).
    virtual std::vector<std::string> InterfaceNames() { return {}; }
};

// The program's acquisition: Video4Linux2 cameras.
std::unique_ptr<CImageAcquisition> CreateImageAcquisition();
