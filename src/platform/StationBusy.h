#pragma once
// One thing at a time on the station. Acquisitions, scan steps, watch ticks, the A/D board
// test and the D/A tracker all drive the same board and stages from the one GUI thread. While
// one of them runs, windows keep painting (the clock's idle hook processes events during
// waits) and every message box runs an event loop of its own, so timers keep firing inside
// both. A tick that started a second reading there would make the first one late, rewrite a
// D/A output in the middle of a scan point, or open a second copy of its own error box.
//
// So whatever drives the station holds a CStationBusy::CScope for as long as it does, message
// boxes it shows on the way included, and every timer tick asks first and returns at once
// when the station is busy:
//
//     void CMyTimer::OnTick() {
//         if (CStationBusy::IsBusy()) return;  // an acquisition, a wait, an open box
//         CStationBusy::CScope busy;
//         ... read, write, and report failures (CMessageOnce) ...
//     }
//
// Acquisitions take the scope through CAcquisitionScope (tech/Acquisition.h); the A/D board
// test's readings and the D/A tracker's updates take it in their ticks. Watch windows and
// scan ticks are written the same way. The flag lives on the GUI thread only; the live-video
// worker never touches it.

class CStationBusy {
  public:
    // True while a scope is held, or while the clock waits: code running then runs from the
    // clock's idle hook, inside somebody's settling wait, averaging window or move.
    static bool IsBusy();
    // Only the second: the clock is waiting now.
    static bool ClockWaiting();

    // Holds the station for its lifetime. Scopes nest (an acquisition inside a scan step).
    class CScope {
      public:
        CScope();
        ~CScope();
        CScope(const CScope&) = delete;
        CScope& operator=(const CScope&) = delete;
    };

  private:
    static int depth;
};
