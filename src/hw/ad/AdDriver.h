#pragma once
// The part of the board layer that differs per board family. CAdBoard checks the arguments
// and keeps the fields; a driver turns one operation into register sequences or library
// calls. Each family has its own file pair in this folder and one line in MakeAdDriver.

#include <memory>

#include "hw/AdBoard.h"

class CAdDriver {
  public:
    explicit CAdDriver(CAdBoard& board) : board(board) {}
    virtual ~CAdDriver() = default;
    CAdDriver(const CAdDriver&) = delete;
    CAdDriver& operator=(const CAdDriver&) = delete;

    // Programs the board from its fields (the part of Init that differs per family).
    virtual void Init() {}
    // Arguments are checked: 0 <= n <= 8 with the channels inside 0-7, volts non-null,
    // periodSec a number in [0, a day].
    virtual bool ReadChannels(double periodSec, int firstCh, int lastCh, double volts[]) = 0;
    // scans >= 1, scans*n within the limit, board.freq already set to the burst rate.
    virtual bool ReadBurst(int scans, int firstCh, int lastCh, double samples[]) = 0;
    // Channel 0 or 1, volts a number. A driver that output the value remembers it (Remember).
    virtual bool SetDA(int channel, double volts) = 0;
    virtual bool WriteDigital(int port, int value) = 0;
    virtual bool SetADRange(double r) = 0;
    // The user's hands, on a board that is a virtual bench.
    virtual CBenchHands* Hands() { return nullptr; }

  protected:
    void Remember(int channel, double volts) { (channel == 0 ? board.da0 : board.da1) = volts; }

    CAdBoard& board;
};

// The driver for a type id (an unknown id gets the no-board driver).
std::unique_ptr<CAdDriver> MakeAdDriver(CAdBoard& board, int type, const SAdBoardDevices& devices);
