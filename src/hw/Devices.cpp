#include "hw/Devices.h"

#include "hw/AdBoard.h"
#include "hw/BathMover.h"
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
    // The carriage shares the A/D board's digital port unless velm.ini names its own.
    bath = std::make_unique<CBathMover>(*probe, adBoard->GetDigitalPort());
    bath->LoadSettings();
}

CDevices::~CDevices() = default;
