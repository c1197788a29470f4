#pragma once
// Installs the Qt dialogs of the export commands ("Export Observations To Text File", "Surface
// Export Definition", "Mage Export Definition") behind the commands' hooks. The main window
// calls it once.

class QWidget;

void InstallExportDialogs(QWidget* parent);
