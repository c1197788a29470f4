#pragma once
// The display documents' commands in the main window: the Layer and Display menus of display
// windows, "&Display" / "&Add To Display" of the observation list, and the closing of displays
// that depend on an observation document.

class CMainWindow;

void AttachDisplayCommands(CMainWindow& window);
