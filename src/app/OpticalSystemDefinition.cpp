#include "app/OpticalSystemDefinition.h"

#include <cmath>

#include "app/MainFrame.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "platform/Format.h"
#include "platform/Prompt.h"
#include "platform/Services.h"

namespace {

constexpr const char* kCornerMove[3] = {"Move to upper left corner and press <ENTER> ...",
                                        "Move to upper right corner and press <ENTER> ...",
                                        "Move to lower right corner and press <ENTER> ..."};
constexpr const char* kCornerShow[3] = {"Show probe in upper left and click <LEFT> ...",
                                        "Show probe in upper right and click <LEFT> ...",
                                        "Show probe in lower right and click <LEFT> ..."};

void Refuse(const std::string& text) {
    Prompt().Message(text, EPromptIcon::Exclamation, COpticalSystemDefinition::kTitle);
}

}  // namespace

COpticalSystemDefinition::COpticalSystemDefinition(const std::string& activeName) {
    names = OpticalSystemNames();
    int index = FindOpticalSystem(activeName);
    if (index < 0 && !names.empty()) index = 0;
    if (index >= 0) {
        selected = index;
        system.Load(names[static_cast<size_t>(index)]);
    }
}

bool COpticalSystemDefinition::Select(int index) {
    if (index < 0 || index >= static_cast<int>(names.size())) return false;
    COpticalSystem loaded;
    if (!loaded.Load(names[static_cast<size_t>(index)])) {
        Refuse(StrPrintf("Cannot load optical system %s from profile.",
                         names[static_cast<size_t>(index)].c_str()));
        return false;
    }
    selected = index;
    system = loaded;
    corners[0] = corners[1] = SCorners();
    return true;
}

bool COpticalSystemDefinition::New(const std::string& name) {
    const std::string problem = CheckNewOpticalSystemName(name);
    if (!problem.empty()) {
        Refuse(problem);
        return false;
    }
    COpticalSystem made;
    made.name = name;
    made.umPerPixelY = made.cam1UmPerPixelY = made.cam1UmPerPixelZ = 1.0;
    if (grabberField) grabberField(made.frameWidth, made.frameHeight, made.aspect);
    if (!made.Problem().empty()) made.frameWidth = 640, made.frameHeight = 480, made.aspect = 1.0;
    if (!made.Save()) return false;
    names = OpticalSystemNames();
    selected = FindOpticalSystem(name);
    system = made;
    corners[0] = corners[1] = SCorners();
    return true;
}

bool COpticalSystemDefinition::Remove() {
    if (!RemoveOpticalSystem(selected)) return false;
    names = OpticalSystemNames();
    selected = -1;
    if (!names.empty()) Select(0);
    return true;
}

void COpticalSystemDefinition::FromFrameGrabber() {
    if (grabberField) grabberField(system.frameWidth, system.frameHeight, system.aspect);
}

std::string COpticalSystemDefinition::Check() const {
    for (double scale : {system.umPerPixelX, system.umPerPixelY, system.cam1UmPerPixelX,
                         system.cam1UmPerPixelY, system.cam1UmPerPixelZ})
        if (!(std::fabs(scale) <= COpticalSystem::kMaxScale) || scale == 0.0)
            return "Scales must lie between -1000 and 1000 um/pixel and cannot be 0.";
    for (double angle : {system.twist, system.tilt})
        if (!(std::fabs(angle) <= COpticalSystem::kMaxAngle))
            return "Twist and tilt must lie between -180 and 180 degrees.";
    if (!(system.aspect > 0.0 && std::isfinite(system.aspect)))
        return "The aspect must be a number above 0.";
    if (system.frameWidth < 1 || system.frameWidth > COpticalSystem::kMaxFrame ||
        system.frameHeight < 1 || system.frameHeight > COpticalSystem::kMaxFrame)
        return "The image field must be 1 to 65535 pixels each way.";
    return {};
}

bool COpticalSystemDefinition::SaveDefinition() {
    if (selected < 0 || selected >= static_cast<int>(names.size())) {
        Refuse("Select an optical system or make a new one first.");
        return false;
    }
    const std::string problem = Check();
    if (!problem.empty()) {
        Refuse(problem);
        return false;
    }
    system.name = names[static_cast<size_t>(selected)];
    return system.Save();
}

EStage COpticalSystemDefinition::DefineStage() const {
    return defineUsing == EDefineUsing::Sample ? EStage::Sample : EStage::Probe;
}

bool COpticalSystemDefinition::DefineEnabled() const {
    if (defineUsing == EDefineUsing::Reticule) return false;
    return !stagePresent || stagePresent(DefineStage());
}

double COpticalSystemDefinition::EdgeAngle(SPixel q2, SPixel q3) {
    double angle = std::atan2(static_cast<double>(q2.y - q3.y), static_cast<double>(q2.x - q3.x)) *
                   kDegreesPerRadian;
    return angle >= 0 ? angle - 90.0 : angle + 90.0;
}

std::string COpticalSystemDefinition::Compute(int camera, unsigned plane,
                                              const std::array<CDVector4, 3>& p,
                                              const std::array<SPixel, 3>& q,
                                              COpticalSystem& into) {
    if (q[0].x == q[1].x || q[1].y == q[2].y)
        return "Unallowable zero pixel distance - aborting optical system definition";
    const double dx = camera == 1 && plane == kCameraPlaneYZ ? p[0].y - p[1].y : p[0].x - p[1].x;
    const double dv = camera == 1 ? p[1].z - p[2].z : p[1].y - p[2].y;
    // A stage that did not move between corners would give a scale of 0, which no image
    // position can be divided by later.
    if (dx == 0.0 || dv == 0.0)
        return "Unallowable zero stage distance - aborting optical system definition";
    const double h = dx / (q[0].x - q[1].x);
    const double v = dv / (q[1].y - q[2].y);
    const double angle = EdgeAngle(q[1], q[2]);
    if (camera == 1) {
        (plane == kCameraPlaneXZ ? into.cam1UmPerPixelX : into.cam1UmPerPixelY) = h;
        into.cam1UmPerPixelZ = v;
        into.tilt = angle;
    } else {
        into.umPerPixelX = h;
        into.umPerPixelY = v;
        into.twist = angle;
    }
    return {};
}

bool COpticalSystemDefinition::Define(int camera) {
    if (defineUsing == EDefineUsing::Reticule) {
        Refuse("Reticule optical system definition not yet supported");
        return false;
    }
    if (!DefineEnabled() || !jogStage || !pick) return false;
    camera = camera == 1 ? 1 : 0;
    SCorners& shown = corners[camera];
    shown = SCorners();
    std::array<CDVector4, 3> p;
    std::array<SPixel, 3> q;
    for (int i = 0; i < 3; ++i) {
        std::optional<CDVector4> at = jogStage(DefineStage(), kCornerMove[i]);
        if (!at) return false;
        p[static_cast<size_t>(i)] = *at;
        const double a = camera == 1 ? (cam1Plane == kCameraPlaneXZ ? at->x : at->y) : at->x;
        const double b = camera == 1 ? at->z : at->y;
        shown.stage[static_cast<size_t>(i)] = StrPrintf("( %.1lf, %.1lf )", a, b);
        // A cancelled click is no pixel: nothing may be computed from it.
        std::optional<SPixel> px = pick(camera, kCornerShow[i]);
        if (!px) return false;
        q[static_cast<size_t>(i)] = *px;
        shown.pixel[static_cast<size_t>(i)] = StrPrintf("( %d, %d )", px->x, px->y);
        if (i == 1) {
            const CDVector4 d = p[1] - p[0];
            shown.stageDistance =
                StrPrintf("%.1lf um", std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z + d.w * d.w));
            shown.pixelDistance =
                StrPrintf("%d pix", static_cast<int>(std::hypot(q[1].x - q[0].x, q[1].y - q[0].y)));
        }
    }
    COpticalSystem computed = system;
    const std::string problem = Compute(camera, cam1Plane, p, q, computed);
    if (!problem.empty()) {
        Refuse(problem);
        return false;
    }
    system = computed;
    return true;
}

void COpticalSystemDefinition::BindTo(CMainFrame& frame) {
    CMainFrame* f = &frame;
    cam1Plane = frame.FgBoard().cam1Axis;
    jogStage = [f](EStage stage, const std::string& prompt) -> std::optional<CDVector4> {
        f->StartJog(stage, false);
        const EPromptAnswer answer =
            Prompt().Show(prompt, kTitle, EPromptButtons::OkCancel, EPromptIcon::Information);
        const CDVector4 at = f->EndJog(stage);
        if (answer != EPromptAnswer::Ok) return std::nullopt;
        return at;
    };
    pick = [f](int camera, const std::string& prompt) -> std::optional<SPixel> {
        CFgBoard& grabber = f->FgBoard();
        const int before = grabber.currentCamera;
        if (!grabber.SelectCamera(camera)) return std::nullopt;
        std::optional<SPixel> at = grabber.TryPickOnImage(prompt);
        grabber.SelectCamera(before);
        return at;
    };
    stagePresent = [f](EStage stage) { return f->Stage(stage).HasBoard(); };
    grabberField = [f](int& width, int& height, double& aspect) {
        width = f->FgBoard().captureWidth;
        height = f->FgBoard().captureHeight;
        aspect = f->FgBoard().aspect;
    };
}
