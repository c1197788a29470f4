#pragma once
// The station's state of each gradient probe: its current sampling rules, calibration and
// reference, by probe name. A probe's state is read from its velm.ini section ("%s ISP/PVP
// Probe") the first time it is needed and written there the moment it changes, so velm-tool and
// the next run measure with the same rules, calibration and reference.
//
// A probe with no stored rules has none, and one with no stored calibration has none: the
// station never measures with rules or a calibration that nobody made.

#include <map>
#include <memory>
#include <string>

class CSampRulesIon;
class CIonCalibration;
class CIonReference;

class CIonStation {
  public:
    struct SProbe {
        std::unique_ptr<CSampRulesIon> rules;
        std::unique_ptr<CIonCalibration> calibration;
        std::unique_ptr<CIonReference> reference;
    };

    CIonStation();
    ~CIonStation();
    CIonStation(const CIonStation&) = delete;
    CIonStation& operator=(const CIonStation&) = delete;

    // The probe's state, read from velm.ini when first asked for (lines that cannot be used are
    // named in one message then).
    SProbe& Probe(const std::string& name);
    CSampRulesIon* Rules(const std::string& name) { return Probe(name).rules.get(); }
    CIonCalibration* Calibration(const std::string& name) { return Probe(name).calibration.get(); }
    CIonReference* Reference(const std::string& name) { return Probe(name).reference.get(); }
    // The scale of the probe's tip values: its calibration's type, Nernst without one.
    uint16_t CalibrationType(const std::string& name);

    // The probe's rules or calibration become a copy of `rules` / `calibration`, written to
    // velm.ini at once. False when velm.ini could not be written (the copy is kept all the same).
    bool KeepRules(const CSampRulesIon& rules);
    bool KeepCalibration(const CIonCalibration& calibration);
    // The probe's current reference (in memory only; a reference the user keeps is then saved
    // with SaveReference). Null puts none in its place.
    std::unique_ptr<CIonReference> ReplaceReference(const std::string& name,
                                                    std::unique_ptr<CIonReference> reference);
    bool SaveReference(const std::string& name);

    // Forgets what is held for `name`; it is read from velm.ini again when next needed.
    void Forget(const std::string& name);

  private:
    struct SNoCaseLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    std::map<std::string, SProbe, SNoCaseLess> probes;
};
