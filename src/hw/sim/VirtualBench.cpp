#include "hw/sim/VirtualBench.h"

#include <cmath>

#include "hw/MsWcmc.h"
#include "hw/motion/SimMotionController.h"

CDVector4 PhysicalPosition(const CMsWcmc& stage) {
    const auto* sim = dynamic_cast<const CSimMotionController*>(&stage.controller.Driver());
    if (!sim) return stage.Position();
    CDVector4 microns;
    for (int i = 0; i < 4; ++i) {
        const double stepsPerMicron = stage.stepsPerMicron[i];
        if (!(std::isfinite(stepsPerMicron) && stepsPerMicron > 0.0)) continue;
        const double sign = stage.positiveMotion[i] ? 1.0 : -1.0;
        microns[i] = sign * static_cast<double>(sim->TravelledSteps(stage.controller.axis[i])) /
                     stepsPerMicron;
    }
    return microns;
}
