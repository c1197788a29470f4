#pragma once
// The gradient probe's dialogs: "Select ISP/PVP By Name" (with "New ..." and "Remove"), "New
// ISP/PVP Name", "ISP/PVP Calibration", "Edit ISP/PVP Calibration", "ISP/PVP Sampling Rules",
// "Add Cartesian Point to Path" and "Add Gradient Calculation". Each works on a logic object
// that holds the fields and does what the dialog's buttons do; the desktop program installs Qt
// dialogs, tests scripted ones. With nothing installed every dialog is cancelled.

#include <functional>
#include <string>
#include <vector>

class CStation;
class CIonCalibration;
class CIonCalibrationSession;
class CIonRulesLogic;
class CIonPointLogic;
class CGradCalcLogic;
class CNewProbeNameLogic;

// "Select ISP/PVP By Name": the station's probe names in order, the current one selected.
// "New ..." and "Remove" change the station's list (and velm.ini) at once.
class CSelectProbeLogic {
  public:
    CSelectProbeLogic(CStation& station, const std::string& current);

    const std::vector<std::string>& Names() const;
    int selected = -1;  // list 1378; -1: none

    // "New ...": "New ISP/PVP Name"; the new name joins the list and is selected.
    bool New();
    // "Remove": "Permanently remove '<name>' probe from the list?" (OK/Cancel).
    bool Remove();
    // OK: a name must be selected ("Select a name first.").
    bool Accept(std::string& error) const;
    std::string Chosen() const;

  private:
    CStation& station;
};

// "Edit ISP/PVP Calibration": the slope of a stored calibration, with its solutions shown.
class CIonCalibrationEditLogic {
  public:
    explicit CIonCalibrationEditLogic(const CIonCalibration& calibration);

    std::string probeName;          // "Gradient:" (1570)
    std::string slope;              // "Nernst Slope:" (1363) "mV/decade"
    std::string concentrations[3];  // "%.1lg" "mM" (1365, 1371, 1362)
    std::string values[3];          // "%.1lf" "mV" (1368, 1373, 1367)
    // OK: a slope that is a number other than 0 (a slope of 0 turns every reading into the same
    // concentration).
    bool Accept(std::string& error);
    double value = 0.0;
};

class CIonDialogs {
  public:
    virtual ~CIonDialogs() = default;
    // Each returns true when closed with OK (after the logic accepted its fields).
    virtual bool SelectProbe(CSelectProbeLogic& logic) = 0;
    virtual bool NewProbeName(CNewProbeNameLogic& logic) = 0;
    // "ISP/PVP Calibration": true when the session kept its values.
    virtual bool Calibrate(CIonCalibrationSession& session) = 0;
    virtual bool EditCalibration(CIonCalibrationEditLogic& logic) = 0;
    virtual bool EditRules(CIonRulesLogic& logic) = 0;
    virtual bool EditPoint(CIonPointLogic& logic) = 0;
    virtual bool EditCalc(CGradCalcLogic& logic) = 0;
};

CIonDialogs& IonDialogs();
void SetIonDialogs(CIonDialogs* dialogs);

class CScopedIonDialogs {
  public:
    explicit CScopedIonDialogs(CIonDialogs* dialogs);
    ~CScopedIonDialogs();
    CScopedIonDialogs(const CScopedIonDialogs&) = delete;
    CScopedIonDialogs& operator=(const CScopedIonDialogs&) = delete;

  private:
    CIonDialogs* previous;
};

// Scripted dialogs for tests: each function works the logic as a user would and returns true for
// OK (empty: Cancel). OK then runs the logic's check; a refused entry is shown through Prompt()
// and the dialog counts as cancelled. The calibration script presses the session's buttons
// itself and returns what the session says when closed.
class CScriptedIonDialogs : public CIonDialogs {
  public:
    bool SelectProbe(CSelectProbeLogic& logic) override;
    bool NewProbeName(CNewProbeNameLogic& logic) override;
    bool Calibrate(CIonCalibrationSession& session) override;
    bool EditCalibration(CIonCalibrationEditLogic& logic) override;
    bool EditRules(CIonRulesLogic& logic) override;
    bool EditPoint(CIonPointLogic& logic) override;
    bool EditCalc(CGradCalcLogic& logic) override;

    std::function<bool(CSelectProbeLogic&)> selectProbe;
    std::function<bool(CNewProbeNameLogic&)> newProbeName;
    std::function<bool(CIonCalibrationSession&)> calibrate;
    std::function<bool(CIonCalibrationEditLogic&)> editCalibration;
    std::function<bool(CIonRulesLogic&)> editRules;
    std::function<bool(CIonPointLogic&)> editPoint;
    std::function<bool(CGradCalcLogic&)> editCalc;
    int shown = 0;
};
