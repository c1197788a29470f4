#include "obs/OpticalSystem.h"

#include "platform/Format.h"

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
