#include "hw/BathPort.h"

#include "platform/PortIo.h"
#include "platform/Services.h"

uint8_t CIoBathPort::Read() {
    return PortIo().In8(address);
}

void CIoBathPort::Write(uint8_t value) {
    PortIo().Out8(address, value);
}

void CSimulatedCarriage::Settle() {
    const uint64_t now = Clock().Ticks();
    if (liftMoving && now >= liftDoneAt) liftMoving = false;
    if (cupMoving && now >= cupDoneAt) {
        cupMoving = false;
        cup = cupTarget;
    }
}

uint8_t CSimulatedCarriage::Sensors() {
    Settle();
    uint8_t s = 0;
    if (!liftMoving) s |= lift == ELift::Raised ? kBathRaised : kBathLowered;
    if (!cupMoving && cup == ECup::Etch) s |= kBathEtchCup;
    if (!cupMoving && cup == ECup::Rinse) s |= kBathRinseCup;
    return s;
}

uint8_t CSimulatedCarriage::Read() {
    return static_cast<uint8_t>(~Sensors() & 0x0F);
}

void CSimulatedCarriage::Write(uint8_t value) {
    Settle();
    const uint64_t now = Clock().Ticks();
    // Raise and lower together cancel out, as do both cups. The lift waits while the cups
    // swing, and the cups swing only under a lowered lift.
    const bool raise = value & kBathRaise, lower = value & kBathLower;
    if (raise != lower && !cupMoving) {
        const ELift target = raise ? ELift::Raised : ELift::Lowered;
        if (target != lift) {
            // Turning back half way takes as long as the way already gone.
            const uint64_t gone = liftMoving ? kLiftMs - (liftDoneAt - now) : kLiftMs;
            lift = target;
            liftMoving = true;
            liftDoneAt = now + gone;
        }
    }
    const bool toEtch = value & kBathToEtch, toRinse = value & kBathToRinse;
    if (toEtch != toRinse && lift == ELift::Lowered && !liftMoving) {
        const ECup target = toEtch ? ECup::Etch : ECup::Rinse;
        if (target != cupTarget) {
            cupTarget = target;
            cupMoving = true;
            cupDoneAt = now + kCupMs;
        }
    }
}
