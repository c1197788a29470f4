#pragma once
// An optical system: how many microns of stage travel one pixel of each camera spans, for the
// image size in which it was measured. A copy travels with grid scans and image layers.
//
// The station keeps any number of named systems in the "Optical Systems" section of velm.ini,
// one of them active. Each system's scales sit under a key that is the system's own name, in
// the same section as the list keys; names are therefore checked before they are taken, so
// that a system can never overwrite the list itself.

#include <optional>
#include <string>
#include <vector>

#include "hw/fg/FgTypes.h"
#include "obs/Archive.h"
#include "platform/Vector4.h"

class CFgBoard;

inline constexpr const char* kOpticalSystemsSection = "Optical Systems";
inline constexpr const char* kDefaultOpticalSystem = "Default";

// One camera as the mapping needs it: which camera, the pixel on its optical axis, the size of
// the grabbed image and, for camera 1, the stage plane it looks at (1480 X-Z, 1481 Y-Z).
struct SCameraView {
    int camera = 0;
    SPixel origin{320, 240};
    int captureWidth = 640;
    int captureHeight = 480;
    unsigned cam1Plane = 1481;
};
// The current camera of the frame grabber.
SCameraView CameraViewOf(const CFgBoard& grabber);
SCameraView CameraViewOf(const CFgBoard& grabber, int camera);

class COpticalSystem : public CSerializable {
    VELM_DECLARE_SERIAL(COpticalSystem)

  public:
    static constexpr double kMaxScale = 1000.0;
    static constexpr double kMaxAngle = 180.0;
    static constexpr int kMaxFrame = 65535;

    void Serialize(CArchive& ar) override;
    // The line logged by scans: "Optical system <name> in use: ...".
    void Describe(std::string& text) const;

    // ---- Settings ---------------------------------------------------------------------------
    // Takes the named system from velm.ini. With no system kept yet, one is made under `name`
    // with every scale 1.0 and a 640 x 480 frame, written, and made active. False (the object
    // unchanged) when the name is not listed or its line cannot be used in full.
    bool Load(const std::string& systemName);
    // "Save Definition": lists the name when it is new and writes the scales under it.
    bool Save() const;
    // Makes this system the active one.
    bool SetActive() const;
    // The scales line as kept under the system's name.
    std::string SettingsLine() const;
    // Reads a scales line into the fields; false unless every field was there and usable.
    bool ParseSettingsLine(const std::string& line);
    // Why the values cannot be used for mapping (a zero or non-finite scale, a frame outside
    // 1..65535), or "" when they can.
    std::string Problem() const;

    // ---- Mapping ----------------------------------------------------------------------------
    // A point on a display of displayWidth x displayHeight showing `view`'s image, to the stage
    // position it shows, given the stage position `shown` at the optical axis. Camera 0 moves
    // X and Y; camera 1 moves X (X-Z plane) or Y (Y-Z plane) and Z. Nothing for an unusable
    // system or display.
    std::optional<CDVector4> ImageToStage(SPixel point, const SCameraView& view,
                                          const CDVector4& shown, int displayWidth,
                                          int displayHeight) const;
    std::optional<CDVector4> ImageToStage(SPixel point, const SCameraView& view,
                                          const CDVector4& shown) const {
        return ImageToStage(point, view, shown, view.captureWidth, view.captureHeight);
    }
    // The reverse: where `position` lies on that display while `shown` is at the optical
    // axis. Nothing when it cannot be worked out or lies beyond any int.
    std::optional<SPixel> StageToImage(const CDVector4& position, const SCameraView& view,
                                       const CDVector4& shown, int displayWidth,
                                       int displayHeight) const;
    std::optional<SPixel> StageToImage(const CDVector4& position, const SCameraView& view,
                                       const CDVector4& shown) const {
        return StageToImage(position, view, shown, view.captureWidth, view.captureHeight);
    }

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

// ---- The list of systems in velm.ini ----------------------------------------------------------
// The names in order ("Name 0" .. "Name <count - 1>").
std::vector<std::string> OpticalSystemNames();
// "Active system" (empty when missing).
std::string ActiveOpticalSystemName();
// Index of `name` in the list (letter case ignored, as the settings keys are), or -1.
int FindOpticalSystem(const std::string& name);
// Why `name` cannot name a new system ("" when it can): empty, blanks at either end, a
// character the settings file cannot keep in a key, a name of one of the list's own keys, or
// a system that exists already.
std::string CheckNewOpticalSystemName(const std::string& name);
// Removes system `index` from the list after asking "Remove optical system %d - %s ? ". Later
// names move down one place; the system's scales line stays. When the active system goes, the
// first remaining one becomes active ("Default" when none remains). True when removed.
bool RemoveOpticalSystem(int index);
// The active system, loaded at start-up: "Active system" ("Default" when missing). On failure
// "Cannot load optical system %s from profile." is shown and `system` keeps its values.
bool LoadActiveOpticalSystem(COpticalSystem& system);
