#pragma once
// The devices one station owns: the A/D and D/A board, the frame grabber, the probe, sample
// and ISP/PVP tip stages and the etch and rinse bath mover. Made once by whoever runs a station
// (the main frame of the desktop program, velm-tool) and handed by reference to the techniques,
// scans and dialogs that use them; each device reads its own settings section of velm.ini as it
// is made and is programmed from it (the stages' speeds and step directions, the controller's
// start-up).

#include <memory>

class CAdBoard;
class CBathMover;
class CFgBoard;
class CMsWcmc;

// The two stages the control bar drives.
enum class EStage { Probe, Sample };

class CDevices {
  public:
    // Builds the devices in order (A/D board, frame grabber, probe, sample and tip stages, bath
    // mover), each loading and applying its settings.
    CDevices();
    ~CDevices();
    CDevices(const CDevices&) = delete;
    CDevices& operator=(const CDevices&) = delete;

    CAdBoard& AdBoard() { return *adBoard; }
    const CAdBoard& AdBoard() const { return *adBoard; }
    CFgBoard& FgBoard() { return *fgBoard; }
    CMsWcmc& ProbeSystem() { return *probe; }
    CMsWcmc& SampleSystem() { return *sample; }
    CMsWcmc& TipSystem() { return *tip; }
    CMsWcmc& Stage(EStage stage) { return stage == EStage::Probe ? *probe : *sample; }
    CBathMover& BathMover() { return *bath; }

  private:
    static std::unique_ptr<CMsWcmc> MakeStage(const char* section);

    std::unique_ptr<CAdBoard> adBoard;
    std::unique_ptr<CFgBoard> fgBoard;
    std::unique_ptr<CMsWcmc> probe;
    std::unique_ptr<CMsWcmc> sample;
    std::unique_ptr<CMsWcmc> tip;
    std::unique_ptr<CBathMover> bath;
};
