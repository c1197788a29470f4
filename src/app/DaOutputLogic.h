#pragma once
// Working values of the "Set D/A Output" dialog: per D/A channel "No Change", "Constant" or
// "Track A/D Channel" with its volts and tracked channel, the tracking period and the
// averaging window. The Qt dialog binds its widgets here; OK hands the values to the main
// frame, which saves them and restarts its tracker.

#include <string>

#include "app/MainFrame.h"

class CAdBoard;

class CSetDaOutputLogic {
  public:
    static constexpr const char* kTitle = "Set D/A Output";
    static constexpr int kMaxTrackSec = 3600;

    enum EChoice { kNoChange = 0, kConstant = 1, kTrack = 2 };

    CSetDaOutputLogic(const SDaOutput& current, CAdBoard& board);

    EChoice choice[2];
    std::string volts[2];    // constant volts
    std::string channel[2];  // tracked A/D channel
    std::string period;      // "sec. (1-3600, no fractions)"
    std::string window;      // "Update with" ... "sec. average of tracking values every"

    // "D/A Channel 0 (now at %.3lf V):" with the board's present output.
    std::string ChannelCaption(int c) const;

    // Reads every entry. A bad one is reported and gives false; `badEntry` then names it
    // ("volts0", "channel1", "period", "window").
    bool Read(SDaOutput& output);
    std::string badEntry;

    // ">> Test <<": applies the choices once (Constant writes its volts, Track writes one
    // averaged reading of its channel). Nothing is stored.
    void Test();

  private:
    CAdBoard& board;
};
