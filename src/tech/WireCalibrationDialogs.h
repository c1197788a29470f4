#pragma once
// The CDP calibration's dialogs: "Current Density Probe Calibration" on a session and "Edit
// Current Density Probe Calibration" on its logic. The desktop program installs Qt dialogs,
// tests install scripted ones; with nothing installed the calibration is not kept and the edit
// is cancelled.

#include <functional>

class CWireCalibrationSession;
class CWireCalibrationEditLogic;

class CWireCalibrationDialogs {
  public:
    virtual ~CWireCalibrationDialogs() = default;
    // Runs the calibration dialog modally on `session` until it closes (the session's Ok() or
    // Cancel() decided whether its values are kept).
    virtual void Calibrate(CWireCalibrationSession& session) = 0;
    // True when closed with OK after the logic accepted its fields.
    virtual bool Edit(CWireCalibrationEditLogic& logic) = 0;
};

CWireCalibrationDialogs& WireCalibrationDialogs();
void SetWireCalibrationDialogs(CWireCalibrationDialogs* dialogs);

class CScopedWireCalibrationDialogs {
  public:
    explicit CScopedWireCalibrationDialogs(CWireCalibrationDialogs* dialogs);
    ~CScopedWireCalibrationDialogs();
    CScopedWireCalibrationDialogs(const CScopedWireCalibrationDialogs&) = delete;
    CScopedWireCalibrationDialogs& operator=(const CScopedWireCalibrationDialogs&) = delete;

  private:
    CWireCalibrationDialogs* previous;
};

// Scripted dialogs for tests. `calibrate` plays the user in the calibration dialog (it ends by
// calling the session's Ok() or Cancel(); empty: Cancel). `edit` edits the fields and returns
// true for OK (empty: Cancel); OK then runs the logic's check, and a refused entry is shown
// through Prompt() and counts as cancelled.
class CScriptedWireCalibrationDialogs : public CWireCalibrationDialogs {
  public:
    void Calibrate(CWireCalibrationSession& session) override;
    bool Edit(CWireCalibrationEditLogic& logic) override;

    std::function<void(CWireCalibrationSession&)> calibrate;
    std::function<bool(CWireCalibrationEditLogic&)> edit;
    int shown = 0;
};
