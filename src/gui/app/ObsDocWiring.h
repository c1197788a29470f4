#pragma once
// Binds the observation document's menus to its commands: Technique, Mode, Edit, the View
// filters, automatic saving, the exports and printing, and installs the dialogs those
// commands open. The main window calls it once, after building its menus.

class CMainWindow;

void AttachObservationCommands(CMainWindow& window);
