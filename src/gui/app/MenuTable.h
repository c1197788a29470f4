#pragma once
// The menu bars: the main frame's own (no document open) and one per document type. Each
// entry is an action with a fixed object name; the same name in several bars is one action.
// The names are how commands are attached to entries (CMainWindow::AttachCommand), so they
// are part of this program's interface: see the table in MenuTable.cpp.

#include <vector>

struct SMenuItem {
    const char* text = nullptr;  // nullptr: a separator
    const char* shortcut = "";
    const char* name = "";         // object name of the action (or of the submenu)
    std::vector<SMenuItem> items;  // non-empty: a submenu
    bool checkable = false;
};

// Menu bars by menu set: 0 the main frame's own, then the document types' sets (3 display,
// 4 observation, 5 image, 6 scan, 7 image sequence).
inline constexpr int kMainFrameMenuSet = 0;
const std::vector<SMenuItem>& MenuBar(int menuSet);

// Object names with a meaning of their own.
inline constexpr const char* kRecentFilesAnchor = "fileRecentFiles";  // recent files go here
inline constexpr const char* kWindowListAnchor = "windowList";        // open windows go here
inline constexpr const char* kTechniqueMenu = "techniqueMenu";
inline constexpr const char* kIspPvpMenu = "techniqueIspPvp";
// Every item of the "&ISP/PVP" submenu carries this name and the probe name as its data.
inline constexpr const char* kIspPvpProbeItem = "techniqueIspPvpProbe";
// The submenu's last two items: a new probe name, and "Select ISP/PVP By Name".
inline constexpr const char* kIspPvpNewItem = "techniqueIspPvpNew";
inline constexpr const char* kIspPvpSelectItem = "techniqueIspPvpSelect";
