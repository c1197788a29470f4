#pragma once
// The main frame's core: owner of all station hardware (the A/D and D/A board, the frame
// grabber, the probe, sample and ISP/PVP tip stages) and of the station's measurement state.
// Technique, scan and document code reach the hardware through it. The Qt main window holds
// one and binds its control bar, menus and timers to it.

#include <memory>

class CAdBoard;
class CFgBoard;
class CMsWcmc;
class CStation;

class CMainFrame {
  public:
    // Builds the hardware objects in order (A/D board, frame grabber, probe, sample and tip
    // stages, each loading its settings section) and the station state, and makes the stage
    // positions the ones every new observation is stamped with.
    CMainFrame();
    ~CMainFrame();
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    CAdBoard& AdBoard() { return *adBoard; }
    CFgBoard& FgBoard() { return *fgBoard; }
    CMsWcmc& ProbeSystem() { return *probe; }
    CMsWcmc& SampleSystem() { return *sample; }
    CMsWcmc& TipSystem() { return *tip; }
    CStation& Station() { return *station; }

  private:
    std::unique_ptr<CAdBoard> adBoard;
    std::unique_ptr<CFgBoard> fgBoard;
    std::unique_ptr<CMsWcmc> probe;
    std::unique_ptr<CMsWcmc> sample;
    std::unique_ptr<CMsWcmc> tip;
    std::unique_ptr<CStation> station;
};

// The running program's main frame (null when none exists, as in most tests).
CMainFrame* TheMainFrame();
