#pragma once
// Working values of "Frame Grabber Setup": the entries as typed, which controls the chosen
// board uses, the checks on OK and the transfer to the grabber.

#include <string>
#include <vector>

class CFgBoard;

class CFgSetupLogic {
  public:
    static constexpr const char* kTitle = "Frame Grabber Setup";
    static constexpr int kMaxAverageFrames = 100;
    static constexpr int kMaxChannel = 15;
    static constexpr double kMinAspect = 0.1, kMaxAspect = 10.0;

    explicit CFgSetupLogic(const CFgBoard& board);

    int type = 0;             // a board type id, one of CFgBoard::OfferedTypes()
    std::string controlPort;  // hexadecimal
    std::string memoryBase;   // hexadecimal
    int tvStandard = 0;       // radio ids
    unsigned pixelMode = 0;
    std::string captureWidth, captureHeight;
    std::string previewWidth, previewHeight;
    std::string averageFrames;
    std::string aspect;
    bool cam0Installed = true, cam0InvX = false, cam0InvY = false;
    std::string cam0Channel;
    bool cam1Installed = false, cam1InvXY = false, cam1InvZ = false, cam1ZOnly = false;
    unsigned cam1Axis = 0;
    std::string cam1Channel;

    // Which device camera 0 or 1 is ("Camera 0 is /dev/video0 (USB Camera)."), as image
    // acquisition numbers the connected cameras.
    std::string CameraDeviceText(int camera) const;
    std::vector<std::string> cameraNames;

    // Which controls the chosen board uses (the others are shown disabled).
    bool PortsUsed() const;        // port and memory addresses: the port-I/O boards
    bool ColourModesUsed() const;  // colour pixel modes: the colour-capable boards
    bool AveragingUsed() const;    // frame averaging
    bool TvStandardUsed() const;   // analogue video boards

    // Checks the entries; the first bad one is reported, named in `badEntry`, and gives false.
    // A board this program cannot drive is accepted with a note that it gives a test pattern.
    bool Accept();
    std::string badEntry;
    void ApplyTo(CFgBoard& board) const;

  private:
    bool Fail(const std::string& entry, const std::string& message);

    struct SValues {
        int controlPort = 0, memoryBase = 0;
        int captureWidth = 0, captureHeight = 0, previewWidth = 0, previewHeight = 0;
        int averageFrames = 1;
        double aspect = 1.0;
        int cam0Channel = 0, cam1Channel = 1;
    } accepted;
    bool isAccepted = false;
};
