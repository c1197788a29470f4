#pragma once
// The "Simulated Station" board: the A/D and D/A board of a virtual bench. Its readings are
// what CStationModel says the bench gives with the stages where their motors have put them
// (PhysicalPosition) and the D/A outputs as last set. It behaves as a board, not as a model:
//
// - an averaging window is consumed on Clock() one tick at a time, exactly as the Random
//   Number Generator does (a window shorter than one tick reads nothing and fails);
// - every channel is the model's value plus, when the section's noise is above 0, a seeded
//   random deviation whose spread shrinks with the square root of the samples averaged; with
//   noise 0 the model's value comes back bit for bit, every time;
// - inputs are clamped to +/- adRange, as a real converter saturates;
// - SetDA outputs any voltage within +/- daRange (clamped) and remembers it; the electrodes'
//   offset inputs and polarising voltages are fed from there;
// - the last byte written to each digital port is recorded.
//
// It is also the bench's pair of hands (CBenchHands): the calibration source's switch and the
// beaker, kept in velm.ini as they change.

#include <array>
#include <map>

#include "hw/BenchHands.h"
#include "hw/ad/AdDriver.h"
#include "hw/ad/SimulatedBoards.h"
#include "hw/sim/StationModel.h"

class CSimStationBoardDriver : public CAdDriver, public CBenchHands {
  public:
    // Loads the bench from the "Simulated Station" section; lines that cannot be used are named
    // in one message and keep their defaults.
    explicit CSimStationBoardDriver(CAdBoard& board);

    // The board's driver while it is the Simulated Station, else null.
    static CSimStationBoardDriver* Of(CAdBoard& board);

    bool ReadChannels(double periodSec, int firstCh, int lastCh, double volts[]) override;
    bool ReadBurst(int scans, int firstCh, int lastCh, double samples[]) override;
    bool SetDA(int channel, double volts) override;
    bool WriteDigital(int port, int value) override;
    // Any range above 0 is offered.
    bool SetADRange(double r) override;
    CBenchHands* Hands() override { return this; }

    void SetSourceCurrent(bool on) override;
    bool SourceCurrent() const override { return params.sourceOn; }
    bool PlaceInSolution(int solution) override;
    int Solution() const override { return params.beaker; }

    const SSimStationParams& Params() const { return params; }
    // New parameters (already checked, SimStationParamsProblem) from the next reading on; they
    // are saved to velm.ini and the noise starts again from its seed. False when velm.ini could
    // not be written (the bench runs on the new parameters all the same).
    bool SetParams(const SSimStationParams& newParams);

    // The bench as it stands now: stage positions from the motors, D/A outputs from the board.
    SBenchState State() const;
    // The last byte written to each digital port.
    const std::map<int, int>& DigitalOutputs() const { return digital; }

  private:
    // One approximately normal deviate with a spread of `spread`.
    double Noise(double spread);
    double Clamp(double volts) const;

    SSimStationParams params;
    CStationModel model;
    CAdLcg generator;
    std::map<int, int> digital;
};
