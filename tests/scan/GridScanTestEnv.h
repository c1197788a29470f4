#pragma once
// A simulated station for grid scan tests: the Simulated Station board with a calibrated CDP
// probe, a probe stage of one step per micron whose moves take no time, and the parameter set
// "Demo" (3 x 2 grid, Flyback, X first, 10 s interval, 3 repetitions, CDP points of 0.02 s
// wait and 0.5 s sampling) written as velm.ini holds it.

#include <memory>
#include <string>

#include "hw/Devices.h"
#include "obs/ObsDoc.h"
#include "settings/RootDirectory.h"
#include "support/TestEnv.h"
#include "tech/Station.h"
#include "tech/StationTestEnv.h"

inline const std::string kGridScanBench =
    std::string(
        "[A/D Board]\nLine 0=Simulated Station\n"
        "Line 1=base=1 [ a/d +/-10.00V, d/a +/-5.00V ]  da0=0  da1=0  freq=1000\n") +
    kBenchCalibration +
    "[FlexMotion MCS]\n"
    "Line 1=criteria=1  deadband=4  delay=0  minpulse=10  statuscheckdelay=0\n"
    "[Probe Motion System]\nLine 1=Steps/micron: 1 1 1 1\n"
    "[Sample Motion System]\nLine 1=Steps/micron: 1 1 1 1\n"
    "[Grid Scan Definition]\nNumber of Entries=1\nEntry 0=Demo\nSelected=Demo\n"
    "[Demo]\n"
    "Line 0=Scan Type: 1028  Scan Tool: 1029  Move Type: 1049  Continuous:0  FirstAxis=1482  "
    "AlongAxes=0\n"
    "Line 1=Reps: 3  Interval: 10.000000 1208  Samples stored: wire 1  gradient 0  raw A/D 0\n"
    "Line 2=Reference: before: wire=0, gradient=0, bath=0  after: wire=0, gradient=0, bath=0\n"
    "Line 3=Reference: 0.000000 0.000000 0.000000 0.000000\n"
    "Line 4=Start: 0.000000 0.000000 0.000000 0.000000\n"
    "Line 5=End: 200.000000 100.000000 0.000000 0.000000\n"
    "Line 5a=Origin: 1000.000000 2000.000000 0.000000 0.000000\n"
    "Line 6=Steps: 3 2 1 1\n"
    "Line 9=Home probe=0, sample=0  Status=1\n"
    "Line 10=Images: before=0, after=0  StepType=1711  num=2\n"
    "Ion Types=0\n"
    "[Voltage Probe Sample Rules]\nDemo=pre=0.020000  samp=0.500000  ref=3.000000  fchan=0\n";

class CGridScanTest : public CVelmTest {
  protected:
    explicit CGridScanTest(const std::string& more = "") {
        WriteFileText(profile.Path(), kGridScanBench + more);
        SetRootDirectory(dir.Path());
        devices = std::make_unique<CDevices>();
        station = std::make_unique<CStation>(devices.get());
        obsDoc.SetPathName(dir.File("obs.vpo"));
    }

    std::unique_ptr<CDevices> devices;
    std::unique_ptr<CStation> station;
    CObsDoc obsDoc;
};
