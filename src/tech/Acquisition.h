#pragma once
// Single acquisitions of the CDP and raw A/D techniques: the settling wait, the time and
// position stamps, and the reads through the A/D board. A read that fails fails the
// acquisition with a message naming the board and the reason, so a board that is missing or
// stopped answering never leaves a measurement of zeros behind.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "obs/VelmObs.h"
#include "platform/StationBusy.h"

class CAdBoard;
class CDVector4;
class CSampRulesWire;
class CSampRulesRawAD;
class CWireObs;
class CWireReference;
class CRawADObs;

// What the desktop program does around an acquisition: the busy cursor while the user
// interface is frozen, and a refresh of the main window afterwards. Empty: nothing.
struct SAcquisitionHooks {
    std::function<void(bool busy)> busyCursor;
    std::function<void()> refreshMainWindow;
};
void SetAcquisitionHooks(SAcquisitionHooks hooks);

// An acquisition's hold on the station for a scope: the station is busy (timers skip their
// ticks, see platform/StationBusy.h) and the busy cursor shows; on exit the cursor is restored
// and the main window refreshed.
class CAcquisitionScope {
  public:
    CAcquisitionScope();
    ~CAcquisitionScope();
    CAcquisitionScope(const CAcquisitionScope&) = delete;
    CAcquisitionScope& operator=(const CAcquisitionScope&) = delete;

  private:
    CStationBusy::CScope busy;
};

// The tick at which a settling wait of `seconds` that starts now ends: trunc(seconds * 1000)
// ms later. A negative or non-numeric wait is none; a wait beyond a day is cut to a day.
uint64_t SettleDeadline(double seconds);

// A CDP point with `rules` (null: "NULL wire sampling rules ..."): waits WaitPeriod, reads the
// four lock-in channels over the averaging time, and takes `currentReference` as its
// reference. False (after a message) when the read fails.
bool AcquireWirePoint(const CSampRulesWire* rules, CWireObs& obs, CAdBoard& board,
                      const CDVector4& currentReference);
// A CDP reference: the old `currentReference` becomes its reference, the reading over
// RefPeriod its reading and the new `currentReference`. On failure nothing changes.
bool AcquireWireReference(const CSampRulesWire* rules, CWireReference& ref, CAdBoard& board,
                          CDVector4& currentReference);
// A raw A/D observation: copies the rules into `obs` and reads averages or a burst. A rule set
// that cannot be read (no channel, a burst larger than the board takes) is refused with a
// message before anything waits.
bool AcquireRawAD(const CSampRulesRawAD& rules, CRawADObs& obs, CAdBoard& board);

// What `rules` take: a CDP reference when they are marked for references (it replaces
// `currentReference`), else a point; null after a message when it could not be taken.
std::unique_ptr<CVelmObs> TakeWireObservation(const CSampRulesWire& rules, CAdBoard& board,
                                              CDVector4& currentReference);
// The raw A/D acquisition every caller goes through (Mode > Point, stored rules, watch and
// scans): a new CRawADObs with a copy of the rules, acquired and split for storage. Empty after
// a message when it could not be taken; `outOfMemory` is the message when the observation
// cannot be made.
CObsList TakeRawADObservations(
    const CSampRulesRawAD& rules, CAdBoard& board,
    const char* outOfMemory = "Insufficient Memory for Raw A/D Observation");

// The stored record of a raw A/D observation holds one burst of BurstNum values, so a burst
// of several channels is stored as one observation per channel (same stamps, rules narrowed to
// that channel, the channel's samples in time order). Averages and one-channel bursts come
// back as they are.
std::vector<std::unique_ptr<CRawADObs>> SplitForStorage(std::unique_ptr<CRawADObs> obs);

// The message for a failed read of channels first..last ("" for `burstScans` 0: an average
// over `periodSec`; else a burst of that many scans at `burstHz`).
std::string ReadFailureMessage(const CAdBoard& board, int first, int last, double periodSec,
                               int burstScans = 0, double burstHz = 0.0);
