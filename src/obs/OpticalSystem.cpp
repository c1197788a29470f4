#include "obs/OpticalSystem.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>

#include "hw/FgBoard.h"
#include "platform/Format.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "settings/Profile.h"

namespace {

constexpr const char* kLineFormat = "%lf, %lf, %lf; %lf, %lf, %lf, %lf  DefFrame=%d,%d  Aspect=%lf";
constexpr const char* kCountKey = "Number of systems";
constexpr const char* kActiveKey = "Active system";

std::string NameKey(int index) {
    return StrPrintf("Name %d", index);
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A missing count means no system has been kept yet; a damaged one is held to what the
// section could ever list.
int SystemCount() {
    const int count = Profile().GetProfileInt(kOpticalSystemsSection, kCountKey, 0);
    return count < 0 ? 0 : std::min(count, 10000);
}

bool UsableScale(double v) {
    return std::isfinite(v) && v != 0.0;
}

}  // namespace

SCameraView CameraViewOf(const CFgBoard& grabber, int camera) {
    SCameraView view;
    view.camera = camera == 1 ? 1 : 0;
    view.origin = grabber.Origin(view.camera);
    view.captureWidth = grabber.captureWidth;
    view.captureHeight = grabber.captureHeight;
    view.cam1Plane = grabber.cam1Axis;
    return view;
}

SCameraView CameraViewOf(const CFgBoard& grabber) {
    return CameraViewOf(grabber, grabber.currentCamera);
}

void COpticalSystem::Serialize(CArchive& ar) {
    ar.String(name);
    for (double* d : {&umPerPixelX, &umPerPixelY, &twist, &cam1UmPerPixelX, &cam1UmPerPixelY,
                      &cam1UmPerPixelZ, &tilt})
        ar.Double(*d);
    ar.Word(frameWidth);
    ar.Word(frameHeight);
    ar.Double(aspect);
}

void COpticalSystem::Describe(std::string& text) const {
    StrAppendf(text,
               "Optical system %s in use: %lf, %lf, %lf; %lf, %lf, %lf, %lf  DefFrame=%d,%d  "
               "Aspect=%lf",
               name.c_str(), umPerPixelX, umPerPixelY, twist, cam1UmPerPixelX, cam1UmPerPixelY,
               cam1UmPerPixelZ, tilt, frameWidth, frameHeight, aspect);
}

std::string COpticalSystem::SettingsLine() const {
    return StrPrintf(kLineFormat, umPerPixelX, umPerPixelY, twist, cam1UmPerPixelX, cam1UmPerPixelY,
                     cam1UmPerPixelZ, tilt, frameWidth, frameHeight, aspect);
}

bool COpticalSystem::ParseSettingsLine(const std::string& line) {
    COpticalSystem fresh;
    const int n =
        std::sscanf(line.c_str(), kLineFormat, &fresh.umPerPixelX, &fresh.umPerPixelY, &fresh.twist,
                    &fresh.cam1UmPerPixelX, &fresh.cam1UmPerPixelY, &fresh.cam1UmPerPixelZ,
                    &fresh.tilt, &fresh.frameWidth, &fresh.frameHeight, &fresh.aspect);
    if (n != 10 || !fresh.Problem().empty()) return false;
    fresh.name = name;
    *this = fresh;
    return true;
}

std::string COpticalSystem::Problem() const {
    for (double scale :
         {umPerPixelX, umPerPixelY, cam1UmPerPixelX, cam1UmPerPixelY, cam1UmPerPixelZ})
        if (!UsableScale(scale)) return "Scales must be numbers other than 0.";
    if (!std::isfinite(twist) || !std::isfinite(tilt) || !std::isfinite(aspect))
        return "Angles and aspect must be numbers.";
    if (frameWidth < 1 || frameWidth > kMaxFrame || frameHeight < 1 || frameHeight > kMaxFrame)
        return "The image field must be 1 to 65535 pixels each way.";
    return {};
}

bool COpticalSystem::Load(const std::string& systemName) {
    if (SystemCount() < 1) {
        COpticalSystem made;
        made.name = systemName;
        made.umPerPixelY = made.cam1UmPerPixelY = made.cam1UmPerPixelZ = 1.0;
        CProfile& p = Profile();
        p.WriteProfileInt(kOpticalSystemsSection, kCountKey, 1);
        p.WriteProfileString(kOpticalSystemsSection, kActiveKey, systemName);
        p.WriteProfileString(kOpticalSystemsSection, NameKey(0), systemName);
        p.WriteProfileString(kOpticalSystemsSection, systemName, made.SettingsLine());
        *this = made;
        return true;
    }
    const int index = FindOpticalSystem(systemName);
    if (index < 0) return false;
    const std::string listed =
        Profile().GetProfileString(kOpticalSystemsSection, NameKey(index), "");
    COpticalSystem loaded;
    loaded.name = listed;
    if (!loaded.ParseSettingsLine(Profile().GetProfileString(kOpticalSystemsSection, listed, "")))
        return false;
    *this = loaded;
    return true;
}

bool COpticalSystem::Save() const {
    CProfile& p = Profile();
    const int count = SystemCount();
    bool ok = true;
    if (count < 1) {
        ok = p.WriteProfileInt(kOpticalSystemsSection, kCountKey, 1) &&
             p.WriteProfileString(kOpticalSystemsSection, kActiveKey, name) &&
             p.WriteProfileString(kOpticalSystemsSection, NameKey(0), name);
    } else if (FindOpticalSystem(name) < 0) {
        ok = p.WriteProfileString(kOpticalSystemsSection, NameKey(count), name) &&
             p.WriteProfileInt(kOpticalSystemsSection, kCountKey, count + 1);
    }
    return ok && p.WriteProfileString(kOpticalSystemsSection, name, SettingsLine());
}

bool COpticalSystem::SetActive() const {
    return Profile().WriteProfileString(kOpticalSystemsSection, kActiveKey, name);
}

std::optional<CDVector4> COpticalSystem::ImageToStage(SPixel point, const SCameraView& view,
                                                      const CDVector4& shown, int displayWidth,
                                                      int displayHeight) const {
    if (!Problem().empty() || displayWidth <= 0 || displayHeight <= 0 || view.captureWidth <= 0 ||
        view.captureHeight <= 0)
        return std::nullopt;
    const double ix = static_cast<double>(point.x) * view.captureWidth / displayWidth;
    const double iy = static_cast<double>(point.y) * view.captureHeight / displayHeight;
    const double h = ix - view.origin.x, v = iy - view.origin.y;
    CDVector4 at = shown;
    if (view.camera == 1) {
        if (view.cam1Plane == kCameraPlaneXZ)
            at.x += h * cam1UmPerPixelX;
        else
            at.y += h * cam1UmPerPixelY;
        at.z += v * cam1UmPerPixelZ;
    } else {
        at.x += h * umPerPixelX;
        at.y += v * umPerPixelY;
    }
    return at;
}

std::optional<SPixel> COpticalSystem::StageToImage(const CDVector4& position,
                                                   const SCameraView& view, const CDVector4& shown,
                                                   int displayWidth, int displayHeight) const {
    if (!Problem().empty() || displayWidth <= 0 || displayHeight <= 0 || view.captureWidth <= 0 ||
        view.captureHeight <= 0)
        return std::nullopt;
    double h, v;
    if (view.camera == 1) {
        h = view.cam1Plane == kCameraPlaneXZ ? (position.x - shown.x) / cam1UmPerPixelX
                                             : (position.y - shown.y) / cam1UmPerPixelY;
        v = (position.z - shown.z) / cam1UmPerPixelZ;
    } else {
        h = (position.x - shown.x) / umPerPixelX;
        v = (position.y - shown.y) / umPerPixelY;
    }
    const double px = std::trunc((h + view.origin.x) * displayWidth / view.captureWidth);
    const double py = std::trunc((v + view.origin.y) * displayHeight / view.captureHeight);
    constexpr double kMax = std::numeric_limits<int>::max(), kMin = std::numeric_limits<int>::min();
    if (!(px >= kMin && px <= kMax && py >= kMin && py <= kMax)) return std::nullopt;
    return SPixel{static_cast<int>(px), static_cast<int>(py)};
}

std::vector<std::string> OpticalSystemNames() {
    std::vector<std::string> names;
    const int count = SystemCount();
    for (int i = 0; i < count; ++i)
        names.push_back(Profile().GetProfileString(kOpticalSystemsSection, NameKey(i), ""));
    return names;
}

std::string ActiveOpticalSystemName() {
    return Profile().GetProfileString(kOpticalSystemsSection, kActiveKey, "");
}

int FindOpticalSystem(const std::string& name) {
    const std::string wanted = Lower(name);
    const std::vector<std::string> names = OpticalSystemNames();
    for (size_t i = 0; i < names.size(); ++i)
        if (Lower(names[i]) == wanted) return static_cast<int>(i);
    return -1;
}

std::string CheckNewOpticalSystemName(const std::string& name) {
    if (name.empty()) return "Enter a name for the optical system.";
    if (std::isspace(static_cast<unsigned char>(name.front())) ||
        std::isspace(static_cast<unsigned char>(name.back())))
        return "An optical system name cannot begin or end with a blank.";
    if (name.find_first_of("=[]\r\n;") != std::string::npos)
        return "An optical system name cannot hold '=', '[', ']', ';' or a line break.";
    const std::string lower = Lower(name);
    bool nameKey = lower.size() > 5 && lower.compare(0, 5, "name ") == 0;
    for (size_t i = 5; nameKey && i < lower.size(); ++i)
        nameKey = std::isdigit(static_cast<unsigned char>(lower[i])) != 0;
    if (nameKey || lower == Lower(kCountKey) || lower == Lower(kActiveKey))
        return "'" + name + "' is a key of the optical system list and cannot name a system.";
    if (FindOpticalSystem(name) >= 0) return "Optical system '" + name + "' already exists.";
    return {};
}

bool RemoveOpticalSystem(int index) {
    if (index < 0) {
        Prompt().Message("Select an optical system to remove.", EPromptIcon::Exclamation);
        return false;
    }
    const std::vector<std::string> names = OpticalSystemNames();
    const std::string name =
        index < static_cast<int>(names.size()) ? names[static_cast<size_t>(index)] : std::string();
    if (index >= static_cast<int>(names.size()) || name.empty()) {
        Prompt().Message(StrPrintf("Optical system %d - %s not found.", index, name.c_str()),
                         EPromptIcon::Exclamation);
        return false;
    }
    if (Prompt().Show(StrPrintf("Remove optical system %d - %s ? ", index, name.c_str()),
                      "Remove Optical System", EPromptButtons::OkCancel,
                      EPromptIcon::Question) != EPromptAnswer::Ok)
        return false;
    CProfile& p = Profile();
    for (size_t j = static_cast<size_t>(index) + 1; j < names.size(); ++j)
        p.WriteProfileString(kOpticalSystemsSection, NameKey(static_cast<int>(j) - 1), names[j]);
    p.WriteProfileInt(kOpticalSystemsSection, kCountKey, static_cast<int>(names.size()) - 1);
    // An active system that is no longer listed would fail to load at every start.
    if (Lower(ActiveOpticalSystemName()) == Lower(name)) {
        const std::string next =
            names.size() > 1 ? names[index == 0 ? 1 : 0] : std::string(kDefaultOpticalSystem);
        p.WriteProfileString(kOpticalSystemsSection, kActiveKey, next);
    }
    return true;
}

bool LoadActiveOpticalSystem(COpticalSystem& system) {
    std::string name = ActiveOpticalSystemName();
    if (name.empty()) name = kDefaultOpticalSystem;
    if (system.Load(name)) return true;
    Prompt().Message(StrPrintf("Cannot load optical system %s from profile.", name.c_str()),
                     EPromptIcon::Exclamation);
    return false;
}
