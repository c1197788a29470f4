#include "hw/Devices.h"

#include "hw/AdBoard.h"
#include "hw/BathMover.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"

CDevices::CDevices() {
    // Each device takes its own section of velm.ini and is programmed from it, as the station
    // must be before its first measurement or move: a device left at its defaults would record
    // test images or move at the controller's own speeds, and a later OK in one of its dialogs
    // would write those defaults over the stored section.
    adBoard = std::make_unique<CAdBoard>();  // loads and programs itself
    fgBoard = std::make_unique<CFgBoard>();
    fgBoard->LoadSettings();
    fgBoard->SelectCamera(fgBoard->cam0Installed ? 0 : 1);
    probe = MakeStage(kProbeMotionSection);
    sample = MakeStage(kSampleMotionSection);
    tip = MakeStage(kTipMotionSection);
    // The simulated station's virtual bench follows how far the three stages really travel.
    adBoard->SetBenchStages({probe.get(), sample.get(), tip.get()});
    // The carriage shares the A/D board's digital port unless velm.ini names its own.
    bath = std::make_unique<CBathMover>(*probe, adBoard->GetDigitalPort());
    bath->LoadSettings();
}

CDevices::~CDevices() = default;

std::unique_ptr<CMsWcmc> CDevices::MakeStage(const char* section) {
    auto stage = std::make_unique<CMsWcmc>();
    stage->LoadSettings(section);
    stage->ApplySettings();
    return stage;
}
