#pragma once
// Working values of the "Optical System Definition" dialog: the list of systems, the system
// being edited, "New ...", "Remove", "Save Definition", "<< From Frame Grabber", and "Define":
// the stage is jogged to three corners of the image and the probe is clicked on the live
// image at each, from which the scales and the twist (or tilt) follow.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "hw/Devices.h"
#include "hw/fg/FgTypes.h"
#include "obs/OpticalSystem.h"
#include "platform/Vector4.h"

class CMainFrame;

class COpticalSystemDefinition {
  public:
    static constexpr const char* kTitle = "Optical System Definition";
    static constexpr const char* kNewTitle = "New Optical System Name";
    static constexpr const char* kNewPrompt = "Enter name for new optical system definition:";
    // "Define using" choices.
    enum class EDefineUsing { Probe, Sample, Reticule };

    // The corner read-outs of one camera's definition.
    struct SCorners {
        std::array<std::string, 3> stage{"", "", ""};  // "( %.1lf, %.1lf )"
        std::array<std::string, 3> pixel{"", "", ""};  // "( %d, %d )"
        std::string stageDistance = "-- um";           // upper left to upper right
        std::string pixelDistance = "-- pix";
    };

    // The list from velm.ini; `activeName` is selected and loaded (the first when missing).
    explicit COpticalSystemDefinition(const std::string& activeName);

    std::vector<std::string> names;
    int selected = -1;  // into names
    COpticalSystem system;
    EDefineUsing defineUsing = EDefineUsing::Probe;
    SCorners corners[2];

    // ---- What the station does for the definition (the main frame installs these) -----------
    // Hands the keyboard to the stage and waits for <ENTER> with `prompt`; the stage's
    // position then, or nothing when cancelled.
    std::function<std::optional<CDVector4>(EStage stage, const std::string& prompt)> jogStage;
    // The clicked pixel of a camera, or nothing when cancelled.
    std::function<std::optional<SPixel>(int camera, const std::string& prompt)> pick;
    // Whether the stage has a motion system.
    std::function<bool(EStage stage)> stagePresent;
    // Width, height and aspect of the frame grabber's image.
    std::function<void(int& width, int& height, double& aspect)> grabberField;
    // The plane camera 1 looks at (1480 X-Z, 1481 Y-Z).
    unsigned cam1Plane = 1481;

    // Choosing a name in the combo loads its line. False (after a message) when it cannot.
    bool Select(int index);
    // "New ...": a checked name with unit scales and the grabber's field, saved at once and
    // selected. False (after a message naming the rule) for a name that cannot be used.
    bool New(const std::string& name);
    // "Remove": the selected system after the question; the selection moves to the first.
    bool Remove();
    // "<< From Frame Grabber".
    void FromFrameGrabber();
    // Why the values cannot be kept ("" when they can): scales -1000..1000 and not 0, twist
    // and tilt -180..180, image field 1..65535.
    std::string Check() const;
    // "Save Definition" (and OK): checks, then saves under the selected name. False after a
    // message.
    bool SaveDefinition();
    // Whether "Define" can run for the stage chosen under "Define using".
    bool DefineEnabled() const;
    // "Define" of camera 0 or 1. The new values stay in `system` until saved. False when
    // cancelled or refused (after a message, except for a cancel).
    bool Define(int camera);

    // The scales and angle from three corners (stage P, pixel Q): camera 0, or camera 1 on its
    // plane. An empty string when they are usable, else the message.
    static std::string Compute(int camera, unsigned cam1Plane, const std::array<CDVector4, 3>& p,
                               const std::array<SPixel, 3>& q, COpticalSystem& into);
    // Degrees from a right edge running from q2 down to q3, as the definition stores it.
    static double EdgeAngle(SPixel q2, SPixel q3);

    // Installs the main frame's jog, pick, stage and grabber functions.
    void BindTo(CMainFrame& frame);

  private:
    EStage DefineStage() const;
};
