#pragma once
// The program-wide clock and prompt. The desktop program installs the real clock and its Qt
// prompt at start-up; tests install a CSimClock and a CScriptedPrompt with CScopedServices.
// Code that waits, stamps or asks always reaches them through these two accessors.

#include "platform/Clock.h"
#include "platform/Prompt.h"

CClock& Clock();
CPrompt& Prompt();

// Installs a clock and a prompt (either may be null to keep the current one). The objects must
// outlive their use; ownership stays with the caller.
void SetServices(CClock* clock, CPrompt* prompt);

// Installs services for a scope and restores the previous ones on exit.
class CScopedServices {
  public:
    CScopedServices(CClock* clock, CPrompt* prompt);
    ~CScopedServices();
    CScopedServices(const CScopedServices&) = delete;
    CScopedServices& operator=(const CScopedServices&) = delete;

  private:
    CClock* previousClock;
    CPrompt* previousPrompt;
};
