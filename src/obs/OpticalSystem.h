#pragma once
// An optical system: how many microns of stage travel one pixel of each camera spans, for the
// image size in which it was measured. A copy travels with grid scans and image layers.

#include <string>

#include "obs/Archive.h"

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
