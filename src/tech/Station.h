#pragma once
// The station's measurement state, held by the main frame for the whole run: the technique
// chosen in the observation documents' Technique menu and the active rules, references and
// calibrations that single acquisitions and scans use. Everything is loaded from velm.ini when
// the station is made, and written back the moment it changes, so velm-tool and the next run
// measure with the same rules and calibration. Stored rules take their observations through it
// (CTechniques) on the devices it was given.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "obs/OpticalSystem.h"
#include "obs/Techniques.h"
#include "obs/WireObs.h"
#include "tech/IonAcquisition.h"
#include "tech/IonStation.h"

class CDevices;
class CSampRulesWire;
class CWireCalibration;
class CSampRulesRawAD;

// Techniques of the Technique menu, as stored in "MeasurementType".
inline constexpr int kTechniqueCdp = 1;
inline constexpr int kTechniqueGradient = 2;
inline constexpr int kTechniqueRawAD = 3;
inline constexpr int kTechniqueInterestPoint = 4;

inline constexpr const char* kProbeNameSection = "ISP/PVP Name List";

// The observation documents' Technique menu title: "&Technique (CDP)", "&Technique (ISP/PVP)"
// or "&Technique (<probe name>)", "&Technique (RawA/D)", "&Technique (Interest Point)";
// "&Technique" for anything else. The caller escapes mnemonics in the name where it must.
std::string TechniqueMenuTitle(int measurementType, const std::string& selectedProbe);

class CStation : public CTechniques {
  public:
    // Probe names beyond this many are not read (a count of millions is a damaged file).
    static constexpr int kMaxProbeNames = 1000;

    // Loads the state from velm.ini (LoadSettings). With `devices` (owned by the caller, which
    // outlives the station) observations are taken on them and stamped with the probe and
    // sample stages' positions; without, the state alone (nothing can be measured).
    explicit CStation(CDevices* devices = nullptr);
    ~CStation() override;
    CStation(const CStation&) = delete;
    CStation& operator=(const CStation&) = delete;

    // Reads the technique, the CDP rules ("Point "), calibration, resistivity and reference, the
    // raw A/D rules ("Point ") and the probe names. Missing lines leave the defaults; lines
    // that are there but cannot be used are listed in one message.
    void LoadSettings();

    // "MeasurementType" ("Line 7" of "Mainframe Parameters"): read, written at once when set.
    void LoadMeasurementType(std::string* problems = nullptr);
    void SaveMeasurementType() const;
    void SetMeasurementType(int technique);

    // The probe chosen in the Technique menu's ISP/PVP submenu (kept as "Selected").
    void SelectProbe(const std::string& name);

    // The current calibration again from velm.ini (after it was saved there); the current
    // resistivity follows it. None when velm.ini holds none.
    void ReloadWireCalibration();
    // From now on the station measures with a copy of `calibration` (exactly its values) and
    // its resistivity.
    void UseWireCalibration(const CWireCalibration& calibration);
    // The current CDP reference reading to velm.ini ("Reference" beside the calibration).
    void SaveWireReference() const;

    // The active optical system from velm.ini ("Cannot load optical system %s from profile."
    // when it cannot be had; the constructor values are kept then).
    bool LoadOpticalSystem();
    // Makes `system` the active one: kept here and written as "Active system".
    void SetOpticalSystem(const COpticalSystem& system);

    int measurementType = kTechniqueRawAD;
    std::vector<std::string> probeNames;
    std::string selectedProbe;

    // The rules single acquisitions use. They always exist once loaded (with the defaults
    // when velm.ini has none); null only when they could not be made.
    std::unique_ptr<CSampRulesWire> wireRules;
    // The current CDP calibration: null until the probe has been calibrated (velm.ini holds no
    // "Voltage Probe Calibration"), so that no current density is made up. Everything that
    // reads it checks.
    std::unique_ptr<CWireCalibration> wireCalibration;
    // The current medium resistivity: the calibration's, 100 ohm-cm without one.
    double resistivity = 100.0;
    // The current CDP reference: its reading is subtracted from later points. All zero until
    // a reference is kept.
    CWireReference wireReference;
    std::unique_ptr<CSampRulesRawAD> rawADRules;
    // The active optical system: image pixels to stage microns and back.
    COpticalSystem opticalSystem;

    // ---- CTechniques: what the stored rules ask of the station ------------------------------
    // A CDP point or reference with the station's current reference (a reference replaces it).
    std::unique_ptr<CVelmObs> TakeWire(const CSampRulesWire& rules) override;
    CObsList TakeRawAD(const CSampRulesRawAD& rules) override;
    // As TakeRawAD, with the caller's text for an observation that cannot be made.
    CObsList TakeRawAD(const CSampRulesRawAD& rules, const char* outOfMemory);
    bool EditWireRules(CSampRulesWire& rules, const char* key) override;
    bool EditRawADRules(CSampRulesRawAD& rules, const char* key) override;
    // A gradient walk on the tip stage with the probe's calibration scale and reference; a
    // reference becomes the probe's current reference (in memory; the document's reference
    // command saves the one the user keeps).
    std::unique_ptr<CVelmObs> TakeIon(const CSampRulesIon& rules) override;
    bool EditIonRules(CSampRulesIon& rules) override;

    // ---- Gradient probes (IonStation.h, ProbeNames.h) -------------------------------------------
    // Each probe's rules, calibration and reference, read from velm.ini when first needed.
    CIonStation& Ion() { return ion; }
    // The devices measured with (null: none).
    CDevices* Devices() const { return devices; }
    // Adds a probe name to the list and velm.ini (nothing to do when it is there already, in
    // any letter case). False after a message when the name cannot be a probe name.
    bool AddProbeName(const std::string& name);
    // Removes a name from the list; its section of velm.ini stays, so adding the name again
    // brings its rules and calibration back.
    bool RemoveProbeName(const std::string& name);
    // `name`, or when it is empty the one chosen in "Select ISP/PVP By Name" (the selected
    // probe shown first); "" when cancelled.
    std::string ChooseProbe(const std::string& name);
    // Called after the probe list changed (the desktop program refreshes its Technique menu).
    std::function<void()> probeNamesChanged;
    // Where a walk of `probe`'s rules runs: the board, the tip stage and the probe's scale. Only
    // with devices.
    SIonWalkPlace WalkPlace(const std::string& probe);

  private:
    void LoadProbeNames(std::string* problems);
    void LoadWireCalibration(std::string* problems);
    // False (after a message) when the station has no devices to measure with.
    bool HasDevices() const;

    CDevices* devices = nullptr;
    CIonStation ion;
};
