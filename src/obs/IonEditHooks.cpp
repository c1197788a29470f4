#include "obs/IonEditHooks.h"

namespace {
SIonEditHooks& Hooks() {
    static SIonEditHooks hooks;
    return hooks;
}
}  // namespace

void SetIonEditHooks(SIonEditHooks hooks) {
    Hooks() = std::move(hooks);
}

const SIonEditHooks& IonEditHooks() {
    return Hooks();
}
