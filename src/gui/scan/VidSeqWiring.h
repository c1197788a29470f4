#pragma once
// Mode > "Video &Sequence" of the observation documents and the Sequence menu ("S&plit",
// "&Join") of the sequence windows, attached to the main window's menus.

class CMainWindow;

void AttachSequenceCommands(CMainWindow& window);
