#pragma once
// Working values of "Show Position on Frame Grabber": the prompt, the still image of the current
// camera, the camera switches ("0" and "1" buttons and keys, Shift+click), the marker where the
// cursor starts, and the clicked pixel (kept 5 pixels inside the image).

#include <functional>
#include <optional>
#include <string>

#include "hw/Bmp.h"
#include "hw/fg/FgTypes.h"
#include "platform/Vector4.h"

class CFgBoard;

class CPickOnImageLogic {
  public:
    static constexpr const char* kTitle = "Show Position on Frame Grabber";
    static constexpr const char* kPositionLabel = "( X, Y, Z, W ) microns from origin:";

    CPickOnImageLogic(CFgBoard& board, std::string prompt, SPickMarkers markers);

    const std::string& PromptText() const { return prompt; }
    int Camera() const;
    bool Camera1Installed() const;
    // The still image of the current camera (bottom row first), as last grabbed.
    const CBitmapImage& Image() const { return image; }
    // Grabs a new still of the current camera; on failure (already reported) the image is
    // a blank one of the capture size.
    bool Grab();
    // "0" / "1": selects the camera, grabs it and returns true; false (nothing changes) when
    // that camera is not installed.
    bool SwitchCamera(int camera);
    // Shift+click: the other camera, when camera 1 is installed.
    bool SwitchToOtherCamera();
    // Where the marker and the cursor sit for the current camera.
    SPixel Marker() const;

    // A click at an image pixel: kept inside the margin, taken as the result and returned.
    SPixel Click(SPixel at);
    std::optional<SPixel> result;

    // Stage position shown for a pixel under the cursor, when the caller can map pixels.
    std::function<std::optional<CDVector4>(int camera, SPixel pixel)> pixelToMicrons;
    std::string PositionText(SPixel at) const;

  private:
    CFgBoard& board;
    std::string prompt;
    SPickMarkers markers;
    CBitmapImage image;
};
