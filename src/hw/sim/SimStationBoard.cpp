#include "hw/sim/SimStationBoard.h"

#include <cmath>
#include <string>

#include "hw/sim/SimStationSettings.h"
#include "hw/sim/VirtualBench.h"
#include "platform/Services.h"

namespace {

SSimStationParams LoadReported() {
    SSimStationParams params;
    std::string problems;
    LoadSimStationParams(params, &problems);
    if (!problems.empty())
        Prompt().Message(
            "These lines of the simulated station in velm.ini could not be used:" + problems +
                "\n\nThe bench uses its defaults in their place; correct them in "
                "System > Simulated Station.",
            EPromptIcon::Exclamation);
    return params;
}

}  // namespace

CSimStationBoardDriver::CSimStationBoardDriver(CAdBoard& board)
    : CAdDriver(board), params(LoadReported()), model(params), generator(params.noiseSeed) {}

CSimStationBoardDriver* CSimStationBoardDriver::Of(CAdBoard& board) {
    return dynamic_cast<CSimStationBoardDriver*>(board.Hands());
}

SBenchState CSimStationBoardDriver::State() const {
    SBenchState state;
    const SBenchStages& stages = board.BenchStages();
    if (stages.probe) state.probe = PhysicalPosition(*stages.probe);
    if (stages.sample) state.sample = PhysicalPosition(*stages.sample);
    if (stages.tip) state.tip = PhysicalPosition(*stages.tip);
    state.da[0] = board.da0;
    state.da[1] = board.da1;
    return state;
}

double CSimStationBoardDriver::Noise(double spread) {
    // The sum of four uniform deviates is close enough to normal for a lock-in's output, and
    // (sum - 2) * sqrt(3) has a spread of 1.
    double sum = 0.0;
    for (int i = 0; i < 4; ++i)
        sum += generator.Next() / 32768.0;
    return (sum - 2.0) * std::sqrt(3.0) * spread;
}

double CSimStationBoardDriver::Clamp(double volts) const {
    const double range = std::fabs(board.adRange);
    return volts > range ? range : volts < -range ? -range : volts;
}

bool CSimStationBoardDriver::ReadChannels(double periodSec, int firstCh, int lastCh,
                                          double volts[]) {
    const int n = lastCh - firstCh + 1;
    int64_t sweeps = 0;
    const uint64_t end = Clock().Ticks() + static_cast<uint64_t>(std::trunc(periodSec * 1000.0));
    while (Clock().Ticks() < end) {
        Clock().WaitTicks(1);
        ++sweeps;
    }
    if (sweeps == 0) return false;
    // Nothing moves while a window is averaged (moves and readings take turns), so the mean of
    // the window is the bench's value at its end; adding it up sweep by sweep would only add
    // rounding.
    const std::array<double, kSimChannelCount> values = model.Read(State());
    const double spread = params.noiseVolts / std::sqrt(static_cast<double>(sweeps));
    for (int i = 0; i < n; ++i) {
        double v = values[static_cast<size_t>(firstCh + i)];
        if (params.noiseVolts > 0.0) v += Noise(spread);
        volts[i] = Clamp(v);
    }
    return true;
}

bool CSimStationBoardDriver::ReadBurst(int scans, int firstCh, int lastCh, double samples[]) {
    const int n = lastCh - firstCh + 1;
    // A burst takes as long as its scans at the board's pace; one beyond the longest window
    // the board averages is refused rather than waited for.
    const double seconds = scans / board.freq;
    if (!(seconds >= 0.0 && seconds <= CAdBoard::kMaxPeriodSec)) return false;
    Clock().WaitTicks(static_cast<uint64_t>(std::trunc(seconds * 1000.0)));
    const std::array<double, kSimChannelCount> values = model.Read(State());
    int64_t k = 0;
    for (int s = 0; s < scans; ++s) {
        for (int i = 0; i < n; ++i, ++k) {
            double v = values[static_cast<size_t>(firstCh + i)];
            if (params.noiseVolts > 0.0) v += Noise(params.noiseVolts);
            samples[k] = Clamp(v);
        }
    }
    return true;
}

bool CSimStationBoardDriver::SetDA(int channel, double volts) {
    const double range = std::fabs(board.daRange);
    Remember(channel, volts > range ? range : volts < -range ? -range : volts);
    return true;
}

bool CSimStationBoardDriver::WriteDigital(int port, int value) {
    digital[port] = value & 0xFF;
    return true;
}

bool CSimStationBoardDriver::SetADRange(double r) {
    if (!(r > 0.0)) return false;
    board.adRange = r;
    return true;
}

void CSimStationBoardDriver::SetSourceCurrent(bool on) {
    params.sourceOn = on;
    model = CStationModel(params);
    SaveSimSourceLine(params);
}

bool CSimStationBoardDriver::PlaceInSolution(int solution) {
    if (solution < kSampleBath || solution > kSolutionCount) return false;
    params.beaker = solution;
    model = CStationModel(params);
    SaveSimSolutionsLine(params);
    return true;
}

bool CSimStationBoardDriver::SetParams(const SSimStationParams& newParams) {
    params = newParams;
    model = CStationModel(params);
    generator = CAdLcg(params.noiseSeed);
    return SaveSimStationParams(params);
}
