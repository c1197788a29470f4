#pragma once
// The desktop road of grid scans: Mode > "&Grid Scan" (F9) of an observation window, which
// reads "&Interrupt Grid Scan" while a group runs there (F9 again stops it), the toolbar's
// Grid Scan button, the window's scan sequencer ticking once a second, the "Scan Status"
// window, and the observation window and the program refusing to close under a running group
// without asking.

class CMainWindow;
class CObsDocWindow;
class CScanSequencer;

void AttachGridScanCommands(CMainWindow& window);

// The scan sequencer of an observation window (made when first asked for): one per window,
// serving every kind of scan that runs from its list.
CScanSequencer& ScanSequencerOf(CObsDocWindow& window, CMainWindow& main);
// The sequencer when the window has one.
CScanSequencer* FindScanSequencer(CObsDocWindow& window);
