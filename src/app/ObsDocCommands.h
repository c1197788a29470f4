#pragma once
// The commands of an observation document's menus, without the GUI: technique choice and
// menu titles, sampling rules, resistivity, point and reference acquisitions with the checks
// that first append the station's rules and calibration, log entries, image grabs, automatic
// saving, the View menu's time range and detail flags, "Open With", the reference editors and
// the refusal to close while a scan runs. The Qt menus call these; dialogs go through
// ObsDocDialogs() and TechDialogs().

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hw/fg/FgTypes.h"
#include "obs/VelmObs.h"
#include "platform/Vector4.h"

class CDataDocument;
class CIonReading;
class CMainFrame;
class CObsDoc;
class CStation;
class CVelmObs;
class CWireReading;

class CObsDocCommands {
  public:
    static constexpr const char* kInterestPointPrompt = "Use cursor to show an interest point ...";

    CObsDocCommands(CObsDoc& doc, CMainFrame& frame);
    ~CObsDocCommands();
    CObsDocCommands(const CObsDocCommands&) = delete;
    CObsDocCommands& operator=(const CObsDocCommands&) = delete;

    CObsDoc& Document() { return doc; }

    // ---- Technique menu ---------------------------------------------------------------------
    // "C&urrent Density" (1), "&Raw A/D" (3), "&Interest Point" (4); kept in velm.ini at once.
    void ChooseTechnique(int technique);
    // A name of the "&ISP/PVP" submenu: technique 2 with that probe.
    void ChooseProbe(const std::string& name);
    bool IsTechniqueChecked(int technique) const;
    bool IsProbeChecked(const std::string& name) const;
    const std::vector<std::string>& ProbeNames() const;
    std::string TechniqueMenuTitle() const;

    // The "&ISP/PVP" submenu's "&New ..." (a new probe name, then chosen) and "Select By
    // &Name ..." ("Select ISP/PVP By Name", with its "New ..." and "Remove").
    bool NewProbe();
    bool SelectProbeByName();

    // "&Sampling ...	F6": the current technique's rules (CDP, gradient and raw A/D here).
    bool CanEditSampling() const;
    bool EditSampling();
    // "Set &Resistivity	Ctrl-F7": the station's current calibration with another
    // resistivity, appended and kept as the current one. Refused without a calibration.
    bool SetResistivity();
    // "&Calibration...	F7" by technique. True when a calibration was kept and added.
    bool CanCalibrate() const;
    bool Calibrate();
    // The gradient probe's: the selected probe's calibration; the kept calibration is appended.
    bool IonCalibrate();
    // The CDP's: "Calibrate with '...' optical system?", the calibration dialog, and on keep
    // the calibration in the document and in the station.
    bool CalibrateWire();

    // ---- Mode menu ------------------------------------------------------------------------
    // "&Point	F5" by technique. True when an observation was added.
    bool Point();
    bool WirePoint();
    bool RawADPoint();
    bool IonPoint();
    bool InterestPoint();
    // "&Reference	Shft-F5": CDP and gradient only.
    bool CanReference() const;
    bool Reference();

    // Make sure the document holds the station's current rules (and calibration): a copy is
    // appended when this document has none yet, or when the station's differ from the ones
    // the document holds last (rules edited, a calibration changed, a document reopened).
    // False when the station has no current object or a copy cannot be made.
    bool EnsureWireSetup();
    bool EnsureRawADSetup();
    bool EnsureIonSetup();

    // ---- Edit, video, file -------------------------------------------------------------------
    // "&Log Entry	F2".
    bool LogEntry();
    // "&Grab Image to File": never overwrites an image file; the counter moves on to the first
    // free number.
    bool GrabImageToFile();
    // "Au&tosave ...": the dialog when off, the question when on.
    bool AutoSave();
    bool IsAutoSaveChecked() const;

    // ---- View menu ----------------------------------------------------------------------------
    // "Latest &Half Hour" (32932), "&All" (32959), and "&Fixed ..." with its dialog (32931).
    void SetTimeRange(int viewMode);
    bool DefineTimeRange();
    bool IsTimeRangeChecked(int viewMode) const;
    // "&Details": a single entry toggles its bit, "&All" sets 252; kept in velm.ini at once.
    void ToggleDetail(unsigned bit);
    void DetailsAll();
    bool IsDetailChecked(unsigned bit) const;

    // "&Open With ...".
    bool OpenWith();

    // ---- Closing ----------------------------------------------------------------------------
    // The scan engines say when a scan sequence of this document starts (true) and ends
    // (false); closing is refused while any runs. Grid, vector and D/A output scans keep their
    // own state and may overlap, so the starts are counted: one kind ending never clears another's.
    void SetScanRunning(bool running) {
        if (running)
            ++scansRunning;
        else if (scansRunning > 0)
            --scansRunning;
    }
    bool IsScanRunning() const { return scansRunning > 0; }
    // False (after "Scan sequence in progress. ...") while a scan runs.
    bool CanClose() const;

    // The observations the last command added, in the order they were added.
    const std::vector<const CVelmObs*>& LastAdded() const { return lastAdded; }

    // How the document is saved at once when automatic saving is switched on. The default
    // saves to the document's file and does nothing for a document that has none yet; the
    // desktop program installs one that asks for a name.
    std::function<bool(CDataDocument&)> saveDocument;
    // Where an interest point clicked on the image lies: the pixel of the current camera and
    // the stage position the image shows. The default maps with the active optical system.
    std::function<CDVector4(SPixel pixel, const CDVector4& shownPosition)> imageToStage;

  private:
    struct SPendingSetup;
    // The copies EnsureWireSetup / EnsureRawADSetup would append, stamped now, without adding
    // them yet (so that a failed read appends nothing).
    bool PrepareWireSetup(SPendingSetup& pending);
    bool PrepareRawADSetup(SPendingSetup& pending);
    // ---- The gradient probe's commands (IonDocCommands.cpp) ------------------------------------
    // The selected probe's rules and calibration, per probe: appended when this document holds
    // none of that probe yet or its latest differ.
    bool PrepareIonSetup(SPendingSetup& pending);
    bool IonReference();
    bool EditIonSampling();
    // The probe to work with: the selected one, or the one chosen by name (which then becomes
    // the selected probe); "" when cancelled.
    std::string ProbeForCommand();
    void Commit(SPendingSetup& pending);
    // Adds what the user took (counted for automatic saving); `countForAutoSave` false for
    // copies of rules and calibrations.
    void Add(std::unique_ptr<CVelmObs> obs, bool countForAutoSave = true);
    // Adds the observations of one acquisition, counted once for automatic saving (at the last
    // one, so that a save holds all of them).
    void AddTaken(CObsList taken);

    CObsDoc& doc;
    CMainFrame& frame;
    CStation& station;
    int scansRunning = 0;
    std::vector<const CVelmObs*> lastAdded;
};

// The reference editors of the surface-export and display-layer dialogs. OK replaces the
// observation's reference values and marks `document` (may be null) modified.
bool EditWireReference(CWireReading& obs, CDataDocument* document);
bool EditIonReference(CIonReading& reference, CDataDocument* document);

// Opens an export recorded by a log entry with the "Open With" program: `between` is the text
// between "Export to file" and "complete.". The program is started without a shell with the
// file name as its one argument, so no file name can run a command. Failure: "Command '...'
// failed.\n" and the reason.
bool OpenWithStoredCommand(const std::string& between);
// Makes log entries open their exports with OpenWithStoredCommand.
void InstallOpenWithRunner();
// "Open Observations With ...": edits and stores the program (from any window).
bool EditOpenWith();

// The question before a CDP calibration: "Calibrate with '%s' optical system?" with the
// station's active system (the calibration source is located on the video image). True on OK.
bool ConfirmCalibrationOpticalSystem(const CStation& station);
