#pragma once
// Installs the Qt dialogs behind the hardware operations' hooks (Z-minimum warnings, motion and
// frame grabber setup, input signal, picking on the image). The main window calls it once.

void InstallHwDialogs();
