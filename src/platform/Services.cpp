#include "platform/Services.h"

namespace {
CRealClock& DefaultClock() {
    static CRealClock clock;
    return clock;
}
CConsolePrompt& DefaultPrompt() {
    static CConsolePrompt prompt;
    return prompt;
}
CClock* currentClock = nullptr;
CPrompt* currentPrompt = nullptr;
}  // namespace

CClock& Clock() {
    return currentClock ? *currentClock : DefaultClock();
}
CPrompt& Prompt() {
    return currentPrompt ? *currentPrompt : DefaultPrompt();
}

void SetServices(CClock* clock, CPrompt* prompt) {
    if (clock) currentClock = clock;
    if (prompt) currentPrompt = prompt;
}

CScopedServices::CScopedServices(CClock* clock, CPrompt* prompt)
    : previousClock(currentClock), previousPrompt(currentPrompt) {
    SetServices(clock, prompt);
}

CScopedServices::~CScopedServices() {
    currentClock = previousClock;
    currentPrompt = previousPrompt;
}
