#include "hw/Devices.h"

#include "hw/AdBoard.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"

CDevices::CDevices() {
    adBoard = std::make_unique<CAdBoard>();
    fgBoard = std::make_unique<CFgBoard>();
    probe = std::make_unique<CMsWcmc>();
    probe->LoadSettings(kProbeMotionSection);
    sample = std::make_unique<CMsWcmc>();
    sample->LoadSettings(kSampleMotionSection);
    tip = std::make_unique<CMsWcmc>();
    tip->LoadSettings(kTipMotionSection);
    // The simulated station's virtual bench follows how far the three stages really travel.
    adBoard->SetBenchStages({probe.get(), sample.get(), tip.get()});
}

CDevices::~CDevices() = default;
