#pragma once
// Image acquisition on Video4Linux2 cameras: interface "imgN" is the N-th node that captures
// video (CameraNodes; a camera's metadata nodes are not counted). The size
// attributes become the capture format, the brightness, contrast and saturation attributes
// the camera's own controls (each mapped onto the control's range), and a colour mode
// attribute asks for colour frames. Frames come back as grey bytes or as blue, green, red,
// unused quadruples whatever the camera sends (grey, YUYV, UYVY, 4:2:0 planar, 24-bit RGB).

#include <memory>

#include "hw/fg/ImageAcquisition.h"
#include "hw/fg/V4l2Device.h"

class CV4l2Acquisition : public CImageAcquisition {
  public:
    static constexpr int kStatusError = -1;
    // A camera that sends nothing for this long has stopped.
    static constexpr int kFrameTimeoutMs = 2000;

    explicit CV4l2Acquisition(std::unique_ptr<CV4l2Device> device);
    ~CV4l2Acquisition() override;

    int InterfaceOpen(const std::string& interfaceName) override;
    int SessionOpen() override;
    int GetAttribute(uint32_t attribute, double& value) override;
    int SetAttribute(uint32_t attribute, double value) override;
    int Snap(SAcquiredFrame& frame) override;
    int GrabSetup() override;
    int Grab(SAcquiredFrame& frame) override;
    int StopAcquisition() override;
    void Close() override;
    std::string ErrorText(int status) override;
    std::vector<std::string> InterfaceNames() override;

    // Turns one frame of `bytes` in `format` into `frame` (grey, or colour quadruples).
    // False, with `error`, when the bytes do not hold such a frame.
    static bool Convert(const std::vector<uint8_t>& bytes, const SV4l2Format& format, bool colour,
                        SAcquiredFrame& frame, std::string& error);

  private:
    int Fail(std::string text);
    int Configure();
    void ApplyControl(uint32_t control, double fraction);

    std::unique_ptr<CV4l2Device> device;
    std::string devicePath;
    bool interfaceOpen = false;
    bool sessionOpen = false;
    bool streaming = false;
    SV4l2Format format;
    uint32_t wantWidth = 0;
    uint32_t wantHeight = 0;
    bool colour = false;
    double brightness = 0.0;
    double contrast = 1.0;
    double saturation = 1.0;
    std::vector<uint8_t> bytes;
    std::string lastError;
};
