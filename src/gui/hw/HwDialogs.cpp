#include "gui/hw/HwDialogs.h"

#include "gui/hw/QtFgDialogs.h"
#include "gui/hw/QtMotionDialogs.h"

void InstallHwDialogs() {
    static CQtMotionDialogs motion;
    static CQtFgDialogs grabber;
    SetMotionDialogs(&motion);
    SetFgDialogs(&grabber);
}
