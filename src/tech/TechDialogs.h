#pragma once
// The dialogs that the measurement techniques open: "Current Density Probe Sampling Rules",
// "Raw A/D Sampling Rules" and "Set CDP Resistivity". Each works on a logic object that holds
// the fields as typed and checks them; the desktop program installs Qt dialogs, tests install
// scripted ones. With nothing installed every dialog is cancelled.

#include <functional>
#include <string>

#include "obs/SampRulesRawAD.h"

class CSampRulesWire;

// "Current Density Probe Sampling Rules".
class CWireRulesLogic {
  public:
    // The fields show the rules' values (the absolute value of SamplePeriod).
    explicit CWireRulesLogic(const CSampRulesWire& rules);

    std::string waitFor;              // "Wait for" ... "seconds"
    std::string averageFor;           // "Average for" ... "seconds"
    std::string referenceAverageFor;  // "Reference average for " ... "seconds"
    std::string firstChannel;         // "First A/D Channel:"

    // OK: checks the fields; on success the values below hold them. False with `error`.
    bool Accept(std::string& error);
    double waitPeriod = 0.0;
    double samplePeriod = 0.0;  // positive: the caller puts the reference mark back
    double refPeriod = 0.0;
    int firstChan = 0;
};

// "Raw A/D Sampling Rules".
class CRawADRulesLogic {
  public:
    explicit CRawADRulesLogic(const CSampRulesRawAD& rules);

    std::string firstChannel;  // "First Channel:"
    std::string lastChannel;   // "Last Channel:"
    bool interleave = true;    // "Interleave /" or "Sequential"
    std::string waitFor;       // "Wait for" ... "seconds,"
    bool average = true;       // "Average for" or "Burst record"
    std::string averageFor;    // ... "seconds"
    std::string burstSamples;  // "Burst record" ... "samples at"
    std::string burstRate;     // ... "samples/sec"

    // OK: on success `rules` holds the entered values (time stamp untouched).
    bool Accept(std::string& error);
    CSampRulesRawAD rules;
};

// "Set CDP Resistivity".
class CResistivityLogic {
  public:
    explicit CResistivityLogic(double resistivity);

    std::string resistivity;  // "Enter CDP media resistivity:" ... "ohm-cm"

    // OK: a resistivity above 0 (0 would make every current density infinite).
    bool Accept(std::string& error);
    double value = 0.0;
};

class CTechDialogs {
  public:
    virtual ~CTechDialogs() = default;
    // Each returns true when closed with OK after the logic accepted its fields.
    virtual bool EditWireRules(CWireRulesLogic& logic) = 0;
    virtual bool EditRawADRules(CRawADRulesLogic& logic) = 0;
    virtual bool SetResistivity(CResistivityLogic& logic) = 0;
};

CTechDialogs& TechDialogs();

// The sampling-rules dialogs on the values under `key` of velm.ini (the document's rules use
// "Point "). OK keeps the CDP rules' reference mark, stamps the rules and saves them under the
// key; false when cancelled.
bool EditWireRules(CSampRulesWire& rules, const char* key);
bool EditRawADRules(CSampRulesRawAD& rules, const char* key);
void SetTechDialogs(CTechDialogs* dialogs);

class CScopedTechDialogs {
  public:
    explicit CScopedTechDialogs(CTechDialogs* dialogs);
    ~CScopedTechDialogs();
    CScopedTechDialogs(const CScopedTechDialogs&) = delete;
    CScopedTechDialogs& operator=(const CScopedTechDialogs&) = delete;

  private:
    CTechDialogs* previous;
};

// Scripted dialogs for tests: each function edits the fields and returns true for OK (empty:
// Cancel). OK then runs the logic's check; a refused entry is shown through Prompt() and the
// dialog counts as cancelled.
class CScriptedTechDialogs : public CTechDialogs {
  public:
    bool EditWireRules(CWireRulesLogic& logic) override;
    bool EditRawADRules(CRawADRulesLogic& logic) override;
    bool SetResistivity(CResistivityLogic& logic) override;

    std::function<bool(CWireRulesLogic&)> wireRules;
    std::function<bool(CRawADRulesLogic&)> rawADRules;
    std::function<bool(CResistivityLogic&)> resistivity;
    int shown = 0;
};
