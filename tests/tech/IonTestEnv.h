#pragma once
// A station for the gradient probe's tests: the Simulated Station (electrode 1 on A/D 4 and 5
// with its bath offset on D/A 0, a linear field C = 1 + 0.01 x mM) with a tip stage of ten steps
// per micron, so 10 microns is exactly 100 steps, under the test's CSimClock with scripted
// dialogs, and probe "K" with its rules (points A at 0 and B at 10 microns along X, one
// calculation, a bath update before the path) and its Nernst calibration (59 mV per decade).

#include <memory>
#include <string>

#include "app/MainFrame.h"
#include "app/ObsDocDialogs.h"
#include "support/TestEnv.h"
#include "tech/IonDialogs.h"
#include "tech/Station.h"
#include "tech/TechDialogs.h"

inline constexpr const char* kIonBoard =
    "[A/D Board]\nLine 0=Simulated Station\n"
    "Line 1=base=1 [ a/d +/-10.00V, d/a +/-5.00V ]  da0=0  da1=0  freq=1000\n"
    "[ISP/PVP Probe Tip Motion System]\nLine 1=Steps/micron: 10 10 10 10\n";

inline constexpr const char* kIonProbeK =
    "[ISP/PVP Name List]\nIon Types=1\nName 1=K\nSelected=K\n"
    "[K ISP/PVP Probe]\n"
    "Sampling Rules 0=rot=0.000000  tilt=0.000000  PathReps=1  ApplyCal=0\n"
    "Sampling Rules 1=useref=0  move=1049  csys=1470  npoints=2  ncalcs=1\n"
    "Sampling Rules 2=bath: wait=1.000000  avg=0.500000  da0on=1  da0ad=0  da1on=5  da1ad=7  "
    "before=1  after=0\n"
    "Sample Name 1=A\n"
    "Sample Point 1=     0.0      0.0      0.0      0.0      1.00    0.50  4+0 (0:378>0)  "
    "1000.000000  10.000000\n"
    "Sample Name 2=B\n"
    "Sample Point 2=    10.0      0.0      0.0      0.0      1.00    0.50  4+0 (0:378>0)  "
    "1000.000000  10.000000\n"
    "Calculation Name 1=Gradient1\n"
    "Calculation 1=Point 0 - Point 1\n"
    "A/D Board Parameters=loGA/D:5  hiGA/D:4  D/A: 0\n"
    "Calibration 0=Conc: lo=0.1000000000  med=1.0000000000  hi=10.0000000000    Volts: "
    "c1=0.000000  c2=59.000000  c3=0.000000  (use3=0)\n"
    "Calibration 1=Period=3.000000 sec  Slope=59.000000  Calibrated:  c1=1  c2=1  c3=0\n"
    "Calibration 2=Type=1482  OutputGain=100.000000  Intercept=59.000000  AutoBath=1  "
    "PreampGain=10.000000\n";

class CIonStationTest : public CVelmTest {
  protected:
    CIonStationTest() : techScope(&techDialogs), docScope(&docDialogs), ionScope(&ionDialogs) {}

    // The main frame on velm.ini `text` (the board and tip stage above, then `more`).
    CMainFrame& Start(const std::string& more = kIonProbeK) {
        WriteFileText(profile.Path(), std::string(kIonBoard) + more);
        frame.reset();
        frame = std::make_unique<CMainFrame>();
        frame->Station().SetMeasurementType(kTechniqueGradient);
        return *frame;
    }

    CScriptedTechDialogs techDialogs;
    CScriptedObsDocDialogs docDialogs;
    CScriptedIonDialogs ionDialogs;
    std::unique_ptr<CMainFrame> frame;

  private:
    CScopedTechDialogs techScope;
    CScopedObsDocDialogs docScope;
    CScopedIonDialogs ionScope;
};
