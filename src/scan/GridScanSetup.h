#pragma once
// "Grid Scan Setup": the working values of the dialog, its row buttons ("Show", "Move To"),
// the gradient list, the time estimate ("<< Calc") and the checks of OK. The Qt dialog binds
// its widgets to `params` and calls these.
//
// Rows are relative to the scan's origin: a position shown on the image or reached by jogging
// becomes position - origin in the Start, End and Reference rows and in the home row of the
// scan tool's stage; the Origin row and the other stage's home row take it as it is.

#include <functional>
#include <optional>
#include <string>

#include "hw/Devices.h"
#include "platform/Vector4.h"
#include "scan/ScanDoc.h"

class CStation;

class CGridScanSetupLogic {
  public:
    static constexpr const char* kTitle = "Grid Scan Setup";
    static constexpr const char* kErrorTitle = "Grid Scan Definition Error";
    static constexpr const char* kNoEstimate = "-- sec";
    // Bounds that keep a scan inside what its file and loops can hold.
    static constexpr int kMaxSteps = 9999;
    static constexpr int64_t kMaxPoints = 1000000;
    static constexpr int kMaxReps = 9999;

    enum class ERow { Start, End, Origin, Reference, ProbeHome, SampleHome };
    enum class EMoveTo { Cancelled, Keyboard, KeyboardAndMouse };

    // The dialog on `doc`'s values. A document that is not read-only is a new group: it gets
    // today's day and month, the next scan group number, lastScan -1, the root directory, and
    // "ScnGrp%04d" + today's "%a%b%d" as its folder when it has none.
    CGridScanSetupLogic(CScanDoc& doc, CStation& station);

    CScanDoc params;
    std::string estimateText = kNoEstimate;
    bool ReadOnly() const { return params.readOnly; }

    // ---- Rows ---------------------------------------------------------------------------------
    static const char* ShowPrompt(ERow row);
    CDVector4& Row(ERow row);
    // The stage whose position a row holds.
    EStage RowStage(ERow row) const;
    // Puts a stage position into the row (relative to origin where the row is).
    void SetRowFromStage(ERow row, const CDVector4& stagePosition);
    // "Show": the point the user shows for the row (through showPosition), then the estimate.
    // False when cancelled.
    bool Show(ERow row);
    std::function<std::optional<CDVector4>(const std::string& prompt, EStage stage)> showPosition;
    // "Move To" switched on: "Enable Mouse?" (Yes/No/Cancel).
    EMoveTo BeginMoveTo();
    // Switched off: the stage's position into the row, then the estimate.
    void EndMoveTo(ERow row);

    // ---- Gradient types ------------------------------------------------------------------------
    // "Add": copies of the probe's rules and calibration. False after a message.
    bool AddGradient(const std::string& name);
    // "Del".
    bool DelGradient(const std::string& name);
    // "Cal..." and "Bath" need a selected type ("Select an Gradient Type first.").
    static bool CheckGradientSelected(const std::string& name);

    // ---- Estimate and OK ---------------------------------------------------------------------
    // Seconds one scan takes: images, references and points with their sampling times, and the
    // moves from the stage's position through the references, points and homes.
    double Estimate() const;
    // "<< Calc".
    void Calc();
    // Why the values cannot be used ("" when they can).
    std::string Check() const;
    // OK: checks, the estimate against the interval (not for a triggered scan), the root, the
    // group folder (a new group's number is used up once its folder exists), then the values
    // into the document and the parameter set saved. False (after a message) keeps the dialog
    // open. A read-only scan takes only its comments.
    bool Ok() { return Accept(true); }
    // As OK; `saveSet` false leaves the stored parameter set as it is (a script's run).
    bool Accept(bool saveSet);

  private:
    CScanDoc& doc;
    CStation& station;
    bool newGroup = false;
};

// Seconds one scan of `scan` takes on `station`, as "<< Calc" shows it.
double EstimateGridScan(const CScanDoc& scan, const CStation& station);
