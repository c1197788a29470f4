#pragma once
// The display's world frame: stage microns (X, Y) of the probe relative to the sample, mapped
// to window pixels through the display's optical system. The window's centre is world (0, 0);
// one image pixel of the system's frame spans umPerPixel microns.

#include "display/Painter.h"
#include "obs/OpticalSystem.h"

class CDisplayFrame {
  public:
    CDisplayFrame(int windowWidth, int windowHeight, const COpticalSystem& system);

    int Width() const { return width; }
    int Height() const { return height; }
    SPointF ToPixel(double x, double y) const {
        return {width / 2.0 + x * kx, height / 2.0 + y * ky};
    }
    // World microns of a window pixel.
    void ToWorld(SPointF p, double& x, double& y) const {
        x = (p.x - width / 2.0) / kx;
        y = (p.y - height / 2.0) / ky;
    }
    // Window pixels per micron along X and Y (signed: negative Y scales put +Y up).
    double PixelsPerMicronX() const { return kx; }
    double PixelsPerMicronY() const { return ky; }

  private:
    int width, height;
    double kx, ky;
};
