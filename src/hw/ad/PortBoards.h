#pragma once
// The register-level ISA boards (Metrabyte/Computer Boards DAS08 family, DAS1602/16, Data
// Translation DT2801 and DT2837, LabMaster): every byte goes through PortIo(). A status poll
// never waits for ever: it spins briefly, then waits a tick between reads, and gives up at a
// bound with a message naming the board, so an absent board cannot hang the station.

#include <cstdint>
#include <functional>

#include "hw/ad/AdDriver.h"

class CPortBoardDriver : public CAdDriver {
  public:
    using CAdDriver::CAdDriver;

    void Init() override;
    bool ReadChannels(double periodSec, int firstCh, int lastCh, double volts[]) override;
    bool ReadBurst(int scans, int firstCh, int lastCh, double samples[]) override;
    bool SetDA(int channel, double volts) override;
    bool WriteDigital(int port, int value) override;
    bool SetADRange(double r) override;

    // Reads spun before a poll starts waiting ticks (a conversion takes microseconds).
    static constexpr int kSpinPolls = 1000;
    // Bounds of the status polls, in milliseconds.
    static constexpr uint64_t kConversionLimitMs = 100;
    static constexpr uint64_t kHandshakeLimitMs = 500;
    // DT2837 details of this program's own choosing: A/D data word and the D/A-ready bit.
    static constexpr int kDt2837AdData = 0x04;
    static constexpr uint16_t kDt2837DacReady = 0x0080;

  private:
    bool Access();
    uint16_t P(int offset) const { return static_cast<uint16_t>(board.base + offset); }
    // Polls the status at base+offset until done(status); false (reported) at the bound.
    bool Wait(int offset, bool word, const std::function<bool(unsigned)>& done, uint64_t limitMs,
              const char* what);
    // One sample period of the board's pacer plus slack: the bound of paced waits.
    uint64_t PacedLimitMs() const;

    bool BeginScan(int firstCh, int lastCh, bool burst);
    bool BeforeSweep(bool burst);
    bool Convert(int ch, int64_t& count, bool burst);
    void EndScan();
    double ToVolts(int64_t acc, int64_t sweeps) const;

    bool DtStop();
    bool DtCommand(uint8_t command);
    bool DtData(uint8_t data);
};
