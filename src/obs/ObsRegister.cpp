#include "obs/ObsRegister.h"

#include <algorithm>

#include "obs/IonCalibration.h"
#include "obs/SampRulesIon.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"

namespace {
// "Not later than": the same second and milliseconds count as in force.
bool Later(const CVelmObs& a, const CVelmObs& b) {
    return b.IsEarlierThan(a);
}
}  // namespace

void CObsRegister::Clear() {
    wireCals.clear();
    wireRules.clear();
    rawADRules.clear();
    ionRulesAll.clear();
    ionCalsAll.clear();
    ionRules.clear();
    ionCals.clear();
}

void CObsRegister::Insert(std::vector<const CVelmObs*>& list, const CVelmObs* item) {
    if (list.empty() || !Later(*list.back(), *item)) {
        list.push_back(item);
        return;
    }
    auto at = std::upper_bound(list.begin(), list.end(), item,
                               [](const CVelmObs* a, const CVelmObs* b) { return Later(*b, *a); });
    list.insert(at, item);
}

const CVelmObs* CObsRegister::LastNotLater(const std::vector<const CVelmObs*>& list,
                                           const CVelmObs& when) {
    // First entry later than `when`; the one before it is in force.
    auto it = std::upper_bound(list.begin(), list.end(), &when,
                               [](const CVelmObs* a, const CVelmObs* b) { return Later(*b, *a); });
    if (it == list.begin()) return nullptr;
    return *(it - 1);
}

void CObsRegister::Add(const CWireCalibration& c) {
    Insert(wireCals, &c);
}
void CObsRegister::Add(const CSampRulesWire& r) {
    Insert(wireRules, &r);
}
void CObsRegister::Add(const CSampRulesRawAD& r) {
    Insert(rawADRules, &r);
}
void CObsRegister::Add(const CSampRulesIon& r) {
    Insert(ionRulesAll, &r);
    Insert(ionRules[Key(r.name, r.index)], &r);
}
void CObsRegister::Add(const CIonCalibration& c) {
    Insert(ionCalsAll, &c);
    Insert(ionCals[Key(c.name, c.index)], &c);
}

const CWireCalibration* CObsRegister::WireCalibrationAt(const CVelmObs& when) const {
    return static_cast<const CWireCalibration*>(LastNotLater(wireCals, when));
}
const CSampRulesWire* CObsRegister::WireRulesAt(const CVelmObs& when) const {
    return static_cast<const CSampRulesWire*>(LastNotLater(wireRules, when));
}
const CSampRulesRawAD* CObsRegister::RawADRulesAt(const CVelmObs& when) const {
    return static_cast<const CSampRulesRawAD*>(LastNotLater(rawADRules, when));
}
const CSampRulesIon* CObsRegister::IonRulesAt(const std::string& name, uint16_t index,
                                              const CVelmObs& when) const {
    auto it = ionRules.find(Key(name, index));
    if (it == ionRules.end()) return nullptr;
    return static_cast<const CSampRulesIon*>(LastNotLater(it->second, when));
}
const CIonCalibration* CObsRegister::IonCalibrationAt(const std::string& name, uint16_t index,
                                                      const CVelmObs& when) const {
    auto it = ionCals.find(Key(name, index));
    if (it == ionCals.end()) return nullptr;
    return static_cast<const CIonCalibration*>(LastNotLater(it->second, when));
}
