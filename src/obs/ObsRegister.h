#pragma once
// The register of sampling rules and calibrations in force. A document offers its observations
// to it in list order (CVelmObs::AddToList); rules and calibrations put themselves in, and a
// measurement then finds the one in force at its time: the last of its kind (and, for gradient
// probes, of its probe name and number) whose time stamp is not later than its own. The
// register holds pointers into the document's list and owns nothing.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

class CVelmObs;
class CWireCalibration;
class CSampRulesWire;
class CSampRulesIon;
class CIonCalibration;
class CSampRulesRawAD;

class CObsRegister {
  public:
    void Clear();

    void Add(const CWireCalibration& calibration);
    void Add(const CSampRulesWire& rules);
    void Add(const CSampRulesIon& rules);
    void Add(const CIonCalibration& calibration);
    void Add(const CSampRulesRawAD& rules);

    // The one in force at `when`'s time, or null.
    const CWireCalibration* WireCalibrationAt(const CVelmObs& when) const;
    const CSampRulesWire* WireRulesAt(const CVelmObs& when) const;
    const CSampRulesRawAD* RawADRulesAt(const CVelmObs& when) const;
    const CSampRulesIon* IonRulesAt(const std::string& name, uint16_t index,
                                    const CVelmObs& when) const;
    const CIonCalibration* IonCalibrationAt(const std::string& name, uint16_t index,
                                            const CVelmObs& when) const;

    // Everything registered, in time order (display layers pick by position in these).
    const std::vector<const CVelmObs*>& WireCalibrations() const { return wireCals; }
    const std::vector<const CVelmObs*>& WireRules() const { return wireRules; }
    const std::vector<const CVelmObs*>& RawADRules() const { return rawADRules; }
    const std::vector<const CVelmObs*>& IonRules() const { return ionRulesAll; }
    const std::vector<const CVelmObs*>& IonCalibrations() const { return ionCalsAll; }

  private:
    using Key = std::pair<std::string, uint16_t>;
    // Kept in time order even when offered out of order.
    static void Insert(std::vector<const CVelmObs*>& list, const CVelmObs* item);
    static const CVelmObs* LastNotLater(const std::vector<const CVelmObs*>& list,
                                        const CVelmObs& when);

    std::vector<const CVelmObs*> wireCals, wireRules, rawADRules, ionRulesAll, ionCalsAll;
    std::map<Key, std::vector<const CVelmObs*>> ionRules, ionCals;
};
