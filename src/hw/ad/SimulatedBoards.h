#pragma once
// The two boards that need no hardware: what a development, training or test machine uses.
// Their output is fixed to the value, so that with a simulated clock every reading is known.

#include <cstdint>

#include "hw/ad/AdDriver.h"

// The classic linear congruential generator: state = state * 214013 + 2531011 (mod 2^32),
// output (state >> 16) & 0x7FFF, 0..32767.
class CAdLcg {
  public:
    explicit CAdLcg(uint32_t seed) : state(seed) {}
    int Next() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }

  private:
    uint32_t state;
};

// Random Number Generator: noise spread over +/- adRange with mean near 0.
class CRandomBoardDriver : public CAdDriver {
  public:
    using CAdDriver::CAdDriver;
    bool ReadChannels(double periodSec, int firstCh, int lastCh, double volts[]) override;
    bool ReadBurst(int scans, int firstCh, int lastCh, double samples[]) override;
    bool SetDA(int, double) override { return false; }
    bool WriteDigital(int, int) override { return true; }
    bool SetADRange(double) override { return false; }
};

// Sine Wave (0.1 Hz): every channel sees adRange * cos(0.0001 rad/ms * tick).
class CSineBoardDriver : public CAdDriver {
  public:
    using CAdDriver::CAdDriver;
    bool ReadChannels(double periodSec, int firstCh, int lastCh, double volts[]) override;
    bool ReadBurst(int scans, int firstCh, int lastCh, double samples[]) override;
    // Accepted and ignored: there is no output to set.
    bool SetDA(int, double) override { return true; }
    bool WriteDigital(int, int) override { return true; }
    bool SetADRange(double) override { return false; }
};
