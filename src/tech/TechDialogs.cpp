#include "tech/TechDialogs.h"

#include <climits>
#include <cmath>

#include "obs/SampRulesWire.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "tech/DialogFields.h"

namespace {

class CNoTechDialogs : public CTechDialogs {
  public:
    bool EditWireRules(CWireRulesLogic&) override { return false; }
    bool EditRawADRules(CRawADRulesLogic&) override { return false; }
    bool SetResistivity(CResistivityLogic&) override { return false; }
};

CNoTechDialogs noDialogs;
CTechDialogs* current = &noDialogs;

template <class Logic>
bool RunScripted(const std::function<bool(Logic&)>& script, Logic& logic, int& shown) {
    ++shown;
    if (!script || !script(logic)) return false;
    std::string error;
    if (logic.Accept(error)) return true;
    Prompt().Message(error, EPromptIcon::Exclamation);
    return false;
}

}  // namespace

CWireRulesLogic::CWireRulesLogic(const CSampRulesWire& rules)
    : waitFor(FormatNumber(rules.WaitPeriod)),
      averageFor(FormatNumber(std::fabs(rules.SamplePeriod))),
      referenceAverageFor(FormatNumber(rules.RefPeriod)),
      firstChannel(std::to_string(rules.FirstChan)) {}

bool CWireRulesLogic::Accept(std::string& error) {
    int64_t chan = 0;
    if (!ParseNumberField(waitFor, "Wait for", waitPeriod, error) ||
        !ParseNumberField(averageFor, "Average for", samplePeriod, error) ||
        !ParseNumberField(referenceAverageFor, "Reference average for", refPeriod, error) ||
        !ParseIntegerField(firstChannel, "First A/D Channel:", INT_MIN, INT_MAX, chan, error))
        return false;
    samplePeriod = std::fabs(samplePeriod);
    firstChan = static_cast<int>(chan);
    return true;
}

CRawADRulesLogic::CRawADRulesLogic(const CSampRulesRawAD& r)
    : firstChannel(std::to_string(r.FirstChan)),
      lastChannel(std::to_string(r.LastChan)),
      interleave(r.interleave != 0),
      // Shown with every digit they have, so that OK without an edit changes nothing (two
      // decimals would turn a wait of 0.005 s into 0.01 s).
      waitFor(FormatNumber(r.WaitSec)),
      average(r.average != 0),
      averageFor(FormatNumber(r.AvgSec)),
      burstSamples(std::to_string(r.BurstNum)),
      burstRate(FormatNumber(r.BurstFreq)) {
    rules.CopyRulesFrom(r);
}

bool CRawADRulesLogic::Accept(std::string& error) {
    int64_t first = 0, last = 0, samples = 0;
    double wait = 0, avg = 0, rate = 0;
    if (!ParseIntegerField(firstChannel, "First Channel:", INT_MIN, INT_MAX, first, error) ||
        !ParseIntegerField(lastChannel, "Last Channel:", INT_MIN, INT_MAX, last, error) ||
        !ParseNumberField(waitFor, "Wait for", wait, error) ||
        !ParseNumberField(averageFor, "Average for", avg, error) ||
        !ParseIntegerField(burstSamples, "Burst record", INT32_MIN, INT32_MAX, samples, error) ||
        !ParseNumberField(burstRate, "samples at", rate, error))
        return false;
    rules.FirstChan = static_cast<int>(first);
    rules.LastChan = static_cast<int>(last);
    rules.interleave = interleave ? 1 : 0;
    rules.WaitSec = wait;
    rules.average = average ? 1 : 0;
    rules.AvgSec = avg;
    rules.BurstNum = static_cast<int32_t>(samples);
    rules.BurstFreq = rate;
    return true;
}

CResistivityLogic::CResistivityLogic(double r) : resistivity(FormatNumber(r)), value(r) {}

bool CResistivityLogic::Accept(std::string& error) {
    double v = 0.0;
    if (!ParseNumberField(resistivity, "Enter CDP media resistivity:", v, error)) return false;
    if (!(v > 0.0)) {
        error = "The media resistivity must be above 0 ohm-cm.";
        return false;
    }
    value = v;
    return true;
}

CTechDialogs& TechDialogs() {
    return *current;
}

void SetTechDialogs(CTechDialogs* dialogs) {
    current = dialogs ? dialogs : &noDialogs;
}

CScopedTechDialogs::CScopedTechDialogs(CTechDialogs* dialogs) : previous(current) {
    SetTechDialogs(dialogs);
}

CScopedTechDialogs::~CScopedTechDialogs() {
    current = previous;
}

bool CScriptedTechDialogs::EditWireRules(CWireRulesLogic& logic) {
    return RunScripted(wireRules, logic, shown);
}
bool CScriptedTechDialogs::EditRawADRules(CRawADRulesLogic& logic) {
    return RunScripted(rawADRules, logic, shown);
}
bool CScriptedTechDialogs::SetResistivity(CResistivityLogic& logic) {
    return RunScripted(resistivity, logic, shown);
}

bool EditWireRules(CSampRulesWire& rules, const char* key) {
    rules.SaveSettings(key);
    CSampRulesWire shown;
    shown.CopyRulesFrom(rules);
    shown.LoadSettings(key);
    CWireRulesLogic logic(shown);
    if (!TechDialogs().EditWireRules(logic)) return false;
    const bool reference = rules.MakesReferences();
    rules.WaitPeriod = logic.waitPeriod;
    rules.SamplePeriod = reference ? -logic.samplePeriod : logic.samplePeriod;
    rules.RefPeriod = logic.refPeriod;
    rules.FirstChan = logic.firstChan;
    rules.StampNow();
    rules.StampPositions();
    rules.SaveSettings(key);
    return true;
}

bool EditRawADRules(CSampRulesRawAD& rules, const char* key) {
    rules.SaveSettings(key);
    CSampRulesRawAD shown;
    shown.CopyRulesFrom(rules);
    shown.LoadSettings(key);
    CRawADRulesLogic logic(shown);
    if (!TechDialogs().EditRawADRules(logic)) return false;
    rules.CopyRulesFrom(logic.rules);
    rules.StampNow();
    rules.StampPositions();
    rules.SaveSettings(key);
    return true;
}
