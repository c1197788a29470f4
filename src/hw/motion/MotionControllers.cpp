#include "hw/motion/MotionController.h"
#include "hw/motion/SimMotionController.h"

// One line per controller the program can drive. There is no driver for the station's
// controller boards on Linux, so the simulated controller leads the table; a serial
// controller would add its line here.
const std::vector<SMotionControllerKind>& MotionControllerKinds() {
    static const std::vector<SMotionControllerKind> kinds = {
        {"Simulated",
         []() -> std::unique_ptr<CMotionController> {
             return std::make_unique<CSimMotionController>();
         }},
    };
    return kinds;
}

std::unique_ptr<CMotionController> CreateMotionController(const std::string& kind) {
    for (const auto& entry : MotionControllerKinds())
        if (kind == entry.name) return entry.create();
    return MotionControllerKinds().front().create();
}
