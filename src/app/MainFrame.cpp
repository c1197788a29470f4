#include "app/MainFrame.h"

#include "app/Station.h"
#include "hw/AdBoard.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "obs/VelmObs.h"

namespace {
CMainFrame* theMainFrame = nullptr;
}

CMainFrame::CMainFrame() {
    adBoard = std::make_unique<CAdBoard>();
    fgBoard = std::make_unique<CFgBoard>();
    probe = std::make_unique<CMsWcmc>();
    probe->LoadSettings(kProbeMotionSection);
    sample = std::make_unique<CMsWcmc>();
    sample->LoadSettings(kSampleMotionSection);
    tip = std::make_unique<CMsWcmc>();
    tip->LoadSettings(kTipMotionSection);
    station = std::make_unique<CStation>();
    SetPositionSource([this](CDVector4& probePosition, CDVector4& samplePosition) {
        probePosition = probe->Position();
        samplePosition = sample->Position();
    });
    theMainFrame = this;
}

CMainFrame::~CMainFrame() {
    // Only the running frame's stages stamp observations; another frame's end leaves them.
    if (theMainFrame == this) {
        theMainFrame = nullptr;
        SetPositionSource(nullptr);
    }
}

CMainFrame* TheMainFrame() {
    return theMainFrame;
}
