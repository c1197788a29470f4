#include "obs/OpticalSystem.h"

#include <cmath>
#include <cstdio>

#include "hw/FgBoard.h"
#include "platform/Format.h"
#include "settings/Profile.h"

namespace {
constexpr const char* kOpticalSystemsSection = "Optical Systems";
}  // namespace

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

COpticalSystem ActiveOpticalSystem() {
    // "Default": every scale one micron per pixel, as a fresh station's first system.
    COpticalSystem system;
    system.name = "Default";
    system.umPerPixelY = system.cam1UmPerPixelY = system.cam1UmPerPixelZ = 1.0;
    const std::string name =
        Profile().GetProfileString(kOpticalSystemsSection, "Active system", "Default");
    const std::string line = Profile().GetProfileString(kOpticalSystemsSection, name, "");
    if (line.empty()) return system;
    system.name = name;
    double v[7] = {};
    int frame[2] = {};
    double aspect = 0.0;
    const int n =
        std::sscanf(line.c_str(), "%lf, %lf, %lf; %lf, %lf, %lf, %lf  DefFrame=%d,%d  Aspect=%lf",
                    &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &frame[0], &frame[1], &aspect);
    double* fields[7] = {
        &system.umPerPixelX,     &system.umPerPixelY,     &system.twist, &system.cam1UmPerPixelX,
        &system.cam1UmPerPixelY, &system.cam1UmPerPixelZ, &system.tilt};
    // What could not be read keeps the default's value.
    for (int i = 0; i < 7 && i < n; ++i)
        if (std::isfinite(v[i])) *fields[i] = v[i];
    if (n >= 9) {
        system.frameWidth = frame[0];
        system.frameHeight = frame[1];
    }
    if (n >= 10 && std::isfinite(aspect)) system.aspect = aspect;
    return system;
}

CDVector4 ImageOffsetToStage(const COpticalSystem& system, const CFgBoard& grabber, int camera,
                             SPixel pixel) {
    const SPixel origin = grabber.Origin(camera);
    const double dx = pixel.x - origin.x, dy = pixel.y - origin.y;
    CDVector4 offset;
    if (camera == 1) {
        if (grabber.cam1Axis == kCameraPlaneXZ)
            offset.x = dx * system.cam1UmPerPixelX;
        else
            offset.y = dx * system.cam1UmPerPixelY;
        offset.z = dy * system.cam1UmPerPixelZ;
    } else {
        offset.x = dx * system.umPerPixelX;
        offset.y = dy * system.umPerPixelY;
    }
    return offset;
}

CDVector4 MapImagePointToStage(const CFgBoard& grabber, SPixel pixel, const CDVector4& shown) {
    return shown + ImageOffsetToStage(ActiveOpticalSystem(), grabber, grabber.currentCamera, pixel);
}

std::function<std::optional<CDVector4>(int camera, SPixel pixel)> PixelOffsetReadout(
    const CFgBoard& grabber) {
    // Read once, not at every movement of the pointer.
    return [system = ActiveOpticalSystem(), &grabber](int camera,
                                                      SPixel pixel) -> std::optional<CDVector4> {
        return ImageOffsetToStage(system, grabber, camera, pixel);
    };
}
