#pragma once
// Mode > "&D/A Output Scan" (F3) of the observation documents, attached to the main window's
// menus: the dialog, then the scan with its status and Graph windows; Esc between and during
// the points offers to end it.

class CMainWindow;

void AttachDaScanCommands(CMainWindow& window);
