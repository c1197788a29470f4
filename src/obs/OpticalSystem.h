#pragma once
// An optical system: how many microns of stage travel one pixel of each camera spans, for the
// image size in which it was measured. A copy travels with grid scans and image layers.

#include <functional>
#include <optional>
#include <string>

#include "hw/fg/FgTypes.h"
#include "obs/Archive.h"
#include "platform/Vector4.h"

class CFgBoard;

class COpticalSystem : public CSerializable {
    VELM_DECLARE_SERIAL(COpticalSystem)

  public:
    void Serialize(CArchive& ar) override;
    // The line logged by scans: "Optical system <name> in use: ...".
    void Describe(std::string& text) const;

    std::string name;
    double umPerPixelX = 1.0;
    double umPerPixelY = -1.0;
    double twist = 0.0;
    double cam1UmPerPixelX = 1.0;
    double cam1UmPerPixelY = -1.0;
    double cam1UmPerPixelZ = -1.0;
    double tilt = 0.0;
    int frameWidth = 640;
    int frameHeight = 480;
    double aspect = 1.0;
};

// ---- Image pixels and stage microns ------------------------------------------------------------
// Until optical systems can be defined and chosen in the program, images are mapped through
// the system velm.ini names active ("Optical Systems", "Active system", with its line), and
// through "Default" (one micron per pixel on every axis) when it names none. The optical-system
// work replaces this one function; everything below maps through it.
COpticalSystem ActiveOpticalSystem();

// The stage offset, in microns, of `pixel` of `camera` from the camera's origin (the pixel that
// shows the stage position): camera 0 gives X and Y; camera 1 gives X (X-Z plane) or Y (Y-Z
// plane), and Z.
CDVector4 ImageOffsetToStage(const COpticalSystem& system, const CFgBoard& grabber, int camera,
                             SPixel pixel);

// A pixel of the current camera to a stage position: `shownPosition` (what the image shows at
// the camera's origin) plus the offset, through the active optical system.
CDVector4 MapImagePointToStage(const CFgBoard& grabber, SPixel pixel,
                               const CDVector4& shownPosition);

// What "Show Position on Frame Grabber" shows under the cursor ("( X, Y, Z, W ) microns from
// origin:"): the offset through the optical system active when the dialog opens.
std::function<std::optional<CDVector4>(int camera, SPixel pixel)> PixelOffsetReadout(
    const CFgBoard& grabber);
