#pragma once
// The few Video4Linux2 requests a camera grab needs, one virtual call each, so the logic above
// (V4l2Acquisition) can be tested with a fake device. The real device goes through libv4l2,
// which converts many camera formats to the ones asked for.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr uint32_t Fourcc(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}
inline constexpr uint32_t kFourccGrey = Fourcc('G', 'R', 'E', 'Y');
inline constexpr uint32_t kFourccYuyv = Fourcc('Y', 'U', 'Y', 'V');
inline constexpr uint32_t kFourccUyvy = Fourcc('U', 'Y', 'V', 'Y');
inline constexpr uint32_t kFourccBgr24 = Fourcc('B', 'G', 'R', '3');
inline constexpr uint32_t kFourccRgb24 = Fourcc('R', 'G', 'B', '3');
inline constexpr uint32_t kFourccYuv420 = Fourcc('Y', 'U', '1', '2');
inline constexpr uint32_t kFourccYvu420 = Fourcc('Y', 'V', '1', '2');

// Control ids of the picture controls.
inline constexpr uint32_t kV4l2CidBrightness = 0x00980900;
inline constexpr uint32_t kV4l2CidContrast = 0x00980901;
inline constexpr uint32_t kV4l2CidSaturation = 0x00980902;

struct SV4l2Format {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t pixelFormat = 0;
    uint32_t bytesPerLine = 0;
};

struct SV4l2ControlRange {
    int32_t minimum = 0;
    int32_t maximum = 0;
};

// A video device node as the kernel lists it (/dev/videoN).
struct SV4l2Node {
    std::string path;
    int number = 0;        // N of /dev/videoN
    bool queried = false;  // false: the node could not be asked what it is (no permission)
    bool capture = false;  // it captures video (a camera's metadata node does not)
    std::string card;      // the device's name
};

// The cameras in the order the program numbers them: nodes that capture video, by node
// number. A USB camera also makes a metadata node, so camera 1 is often /dev/video2. A node
// that could not be asked is kept in its place: opening it then says why (no permission).
std::vector<SV4l2Node> CameraNodes(std::vector<SV4l2Node> nodes);

class CV4l2Device {
  public:
    virtual ~CV4l2Device() = default;
    // Opens the node and checks that it captures video. `error` gets a sentence for the user.
    virtual bool Open(const std::string& path, std::string& error) = 0;
    virtual bool GetFormat(SV4l2Format& format, std::string& error) = 0;
    // Asks for `format`; the driver's answer (which may differ) comes back in it.
    virtual bool SetFormat(SV4l2Format& format, std::string& error) = 0;
    // False when the camera has no such control.
    virtual bool QueryControl(uint32_t id, SV4l2ControlRange& range) = 0;
    virtual bool SetControl(uint32_t id, int32_t value, std::string& error) = 0;
    virtual bool StartStreaming(std::string& error) = 0;
    // The next frame's bytes; false after `timeoutMs` without one.
    virtual bool ReadFrame(std::vector<uint8_t>& bytes, int timeoutMs, std::string& error) = 0;
    virtual void StopStreaming() = 0;
    virtual void Close() = 0;
    // Every /dev/videoN node, asked what it is.
    virtual std::vector<SV4l2Node> Nodes() = 0;
};

// The kernel's devices (or, in a build without libv4l2, one that says so when opened).
std::unique_ptr<CV4l2Device> CreateV4l2Device();
