#include "display/DisplayFrame.h"

CDisplayFrame::CDisplayFrame(int windowWidth, int windowHeight, const COpticalSystem& system)
    : width(windowWidth), height(windowHeight) {
    // An unusable system (never stored: Load refuses it) draws at one micron per pixel, Y up.
    const bool usable = system.Problem().empty();
    const double a = usable ? system.umPerPixelX : 1.0;
    const double b = usable ? system.umPerPixelY : -1.0;
    const int fw = usable ? system.frameWidth : 640;
    const int fh = usable ? system.frameHeight : 480;
    kx = static_cast<double>(width) / (a * fw);
    ky = static_cast<double>(height) / (b * fh);
}
