#pragma once
// What stored objects ask of the measuring station above the stored model. Sampling rules take
// new observations with the station's hardware, and open their set-up dialogs, through this
// interface; the techniques implement it over the station's devices and state (CStation), and
// whoever holds a station passes it down. So a stored class never reaches the hardware or a
// dialog by itself.

#include <memory>

#include "obs/VelmObs.h"

class CSampRulesWire;
class CSampRulesRawAD;
class CSampRulesIon;

class CTechniques {
  public:
    virtual ~CTechniques() = default;

    // A CDP point, or a reference when the rules are marked for references; null (after a
    // message) when it could not be taken.
    virtual std::unique_ptr<CVelmObs> TakeWire(const CSampRulesWire& rules) = 0;
    // A raw A/D observation by averages or a burst, ready to be stored: a burst of several
    // channels comes as one observation per channel. Empty (after a message) when it could
    // not be taken.
    virtual CObsList TakeRawAD(const CSampRulesRawAD& rules) = 0;
    // A gradient observation along the rules' path on the tip stage, or a gradient reference
    // (which becomes the station's reference for the probe) when the rules are marked for
    // references.
    virtual std::unique_ptr<CVelmObs> TakeIon(const CSampRulesIon& rules) = 0;

    // The rules' dialog on the values under `key` of velm.ini; OK stamps the rules and saves
    // them there. False when cancelled.
    virtual bool EditWireRules(CSampRulesWire& rules, const char* key) = 0;
    virtual bool EditRawADRules(CSampRulesRawAD& rules, const char* key) = 0;
    // "ISP/PVP Sampling Rules" on the rules of the rules' probe in velm.ini (a probe name is
    // chosen first when they have none). OK stamps the rules and saves them in the probe's
    // section; false when cancelled.
    virtual bool EditIonRules(CSampRulesIon& rules) = 0;
};
