#pragma once
// National Instruments boards of the traditional NI-DAQ kind: the PCI-603x E series (16-bit)
// and the PCI-1200 (12-bit; analogue output only). The board layer needs six roles of the
// driver library; CNiDaqRoles names them, and on Linux Comedi serves them (ComediNiDaq.h).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "hw/ad/AdDriver.h"

// The traditional NI-DAQ calls, by role. Every call returns a status: 0 is success, anything
// else an error code shown to the user as an NI-DAQ error.
class CNiDaqRoles {
  public:
    virtual ~CNiDaqRoles() = default;

    // Opens NI device number `device` (1, 2, ...). False with a reason the user can act on.
    virtual bool Open(int device, std::string& why) = 0;
    // Scan set-up: the channels of the next scan and the gain of each.
    virtual int ScanSetup(int device, int count, const int16_t channels[],
                          const int16_t gains[]) = 0;
    // Scan start: `total` samples into `buffer`, one conversion every `interval` units of the
    // sample timebase (1: 1 us; -3: 50 ns), scans back to back (scan timebase 1, interval 0).
    virtual int ScanStart(int device, int16_t* buffer, uint32_t total, int sampleTimebase,
                          uint32_t sampleInterval, int scanTimebase, uint32_t scanInterval) = 0;
    // Acquisition check: whether the scan has stopped and how many samples are in.
    virtual int ScanCheck(int device, bool& stopped, uint32_t& retrieved) = 0;
    // Clears (cancels) the acquisition.
    virtual int AcqClear(int device) = 0;
    // Analogue output: `volts` on D/A channel `channel`.
    virtual int AOVWrite(int device, int channel, double volts) = 0;
    // Digital output: one byte to digital port `port`.
    virtual int DigOutPort(int device, int port, int value) = 0;
};

class CNiDaqBoardDriver : public CAdDriver {
  public:
    CNiDaqBoardDriver(CAdBoard& board, std::function<std::unique_ptr<CNiDaqRoles>()> factory);

    bool ReadChannels(double periodSec, int firstCh, int lastCh, double volts[]) override;
    bool ReadBurst(int scans, int firstCh, int lastCh, double samples[]) override;
    bool SetDA(int channel, double volts) override;
    bool WriteDigital(int port, int value) override;
    bool SetADRange(double) override { return false; }

    // The NI-DAQ gain code for a +/- range (-1 stands for a gain of 0.5) and the range that
    // gain really measures.
    static int GainCode(double adRange);
    static double GainRange(int gain);
    // Time allowed beyond a scan's own length before it counts as lost.
    static constexpr uint64_t kScanSlackMs = 10000;

  private:
    bool Open();
    void Error(int status);
    // Runs one scan of `total` samples of channels firstCh..lastCh at `rate` conversions per
    // second into `buffer`. False after showing what went wrong.
    bool Scan(int firstCh, int lastCh, int64_t rate, int16_t* buffer, uint32_t total);

    std::function<std::unique_ptr<CNiDaqRoles>()> factory;
    std::unique_ptr<CNiDaqRoles> roles;
};
