#pragma once
// A station for measurement tests: a CMainFrame on a simulated A/D board under the test's
// CSimClock, scripted dialogs, and the expected readings of the "Sine Wave (0.1 Hz)" board.

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "app/MainFrame.h"
#include "app/ObsDocDialogs.h"
#include "hw/AdBoard.h"
#include "support/TestEnv.h"
#include "tech/Station.h"
#include "tech/TechDialogs.h"

// The CDP calibration a calibration on the Simulated Station's defaults gives (100 uA/sq.cm. per
// volt on each detector, at the lock-ins' phases of 30 and 60 degrees), as velm.ini keeps it.
inline constexpr const char* kBenchCalibration =
    "[Voltage Probe Calibration]\n"
    "Line 0=Zvib: 17472  xCal: 1  yCal: 1  rho: 100.000000  SG: 50000.000000\n"
    "Line 1=xxPh: 0.523599  xxA/V: 500000000.000000  xyPh: 0.000000  xyA/V: 0.000000  "
    "xVibAng=0.000000\n"
    "Line 2=yxPh: 0.000000  yxA/V: 0.000000  yyPh: 1.047198  yyA/V: 500000000.000000  "
    "yVibAng=1.570796\n";

class CStationTest : public CVelmTest {
  protected:
    CStationTest() : techScope(&techDialogs), docScope(&docDialogs) {}

    // Names the board in velm.ini (+/-2 V range) and adds `more` settings, then builds the
    // main frame.
    CMainFrame& Station(const char* board = "Sine Wave (0.1 Hz)", const std::string& more = "") {
        WriteFileText(profile.Path(),
                      std::string("[A/D Board]\nLine 0=") + board +
                          "\nLine 1=base=1 [ a/d +/-2.00V, d/a +/-5.00V ]  da0=0  da1=0  "
                          "freq=1000\n" +
                          more);
        frame.reset();  // one main frame at a time, as in the program
        frame = std::make_unique<CMainFrame>();
        return *frame;
    }

    // The mean the sine board gives for channel i of a read of n channels over `periodSec`
    // that starts at tick t0 (each channel is read alone during its slice of the window).
    static double SineMean(uint64_t t0, double periodSec, int i, int n, double range = 2.0) {
        const uint64_t from = t0 + static_cast<uint64_t>(std::trunc(i * periodSec * 1000.0 / n));
        const uint64_t to =
            t0 + static_cast<uint64_t>(std::trunc((i + 1) * periodSec * 1000.0 / n));
        int64_t acc = 0, count = 0;
        for (uint64_t t = from + 1; t <= to; ++t, ++count)
            acc += static_cast<int64_t>(
                std::trunc(2048.0 * std::cos(0.0001 * static_cast<double>(t))));
        return count == 0 ? 0.0
                          : static_cast<double>(acc) / static_cast<double>(count) / 2048.0 * range;
    }
    // A burst sample of the sine board taken at tick t.
    static double SineSample(uint64_t t, double range = 2.0) {
        return std::cos(0.0001 * static_cast<double>(t)) * range;
    }

    CScriptedTechDialogs techDialogs;
    CScriptedObsDocDialogs docDialogs;
    std::unique_ptr<CMainFrame> frame;

  private:
    CScopedTechDialogs techScope;
    CScopedObsDocDialogs docScope;
};
