#pragma once
// "Vector Scan Definition" without the GUI: the schedule as typed, the probe and sample rows,
// the operations list with its editing buttons, adding operations of the eight kinds, the
// estimate, "Preview ..." and the checks of OK. The dialog works on copies of the document's
// operations; only OK puts them into the document (Store), so Cancel leaves it as it was.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "obs/ObsDoc.h"
#include "scan/VectorScanRun.h"

class CObsDoc;
class CScanObs;
class IGridScanDialogs;

// "Prompt when adding:" as velm.ini keeps it.
inline constexpr int kPromptNone = 1482;
inline constexpr int kPromptShowProbe = 1483;
inline constexpr int kPromptMoveProbe = 1487;
inline constexpr int kPromptShowSample = 1620;
inline constexpr int kPromptMoveSample = 1621;

inline constexpr const char* kVectorScanSection = "Vector Scan";
inline constexpr const char* kVectorScanRulesKey = "Vector Scan";

class CVectorScanDefinition {
  public:
    static constexpr int kMaxReps = 30000;

    CVectorScanDefinition(const CObsDoc& doc, const SVectorScanStation& station);

    // ---- "Scheduling" ---------------------------------------------------------------------
    std::string interval;  // "Start every"
    int unit = kIntervalSeconds;
    std::string reps;  // "for" ... "repetitions"
    bool autoSave = false;
    std::string autoSaveEvery;  // "Autosave every" ... "samples"
    bool showStatus = true;     // "Update status"
    std::string estimate = "-- sec";

    // ---- "Add an operation ..." -------------------------------------------------------------
    CDVector4 probeRow, sampleRow;  // "probe at", "sample at"
    int promptMode = kPromptShowProbe;
    bool moveWithMouse = false;
    // The gradient types ("ISP/PVP" probe names) and the one chosen ("" none).
    std::vector<std::string> gradientTypes;
    std::string gradientType;

    // ---- "Operations" ------------------------------------------------------------------------
    bool showProbeCol = true, showSampleCol = false;
    CObsList ops;
    int selected = -1;  // -1: none

    // ---- What the desktop program supplies ---------------------------------------------------
    // "Show desired probe location ..." / "... sample location ...": the user points on the
    // live video; true with the stage position there.
    std::function<bool(EStage, CDVector4&)> pointOnVideo;
    // Keyboard (and with `mouse` mouse) motion of a stage switched on or off.
    std::function<void(EStage, bool on, bool mouse)> enableMotion;
    // Shows a row's position on the live video ("Show").
    std::function<void(EStage, const CDVector4&)> showOnVideo;
    // The grid scan set-up of a "Grid Scan" operation ("Load Grid Scan Parameters", then the
    // set's "Grid Scan Definition"): true when set up, with the scan's origin and whether its
    // scan tool is the sample. Empty: grid-scan operations cannot be made yet.
    struct SGridScanSetup {
        CDVector4 origin;
        bool sampleTool = false;
    };
    std::function<std::optional<SGridScanSetup>(CScanObs&)> setUpGridScan;
    // Sets up grid-scan operations through the grid scan dialogs (which must outlive the
    // definition): the chosen set, its set-up, and the values saved under the operation's name.
    void UseGridScanDialogs(IGridScanDialogs& dialogs);
    // "Set CDP Resistivity".
    std::function<bool()> setResistivity;
    // Esc during a preview.
    std::function<bool()> escapePressed;
    CVectorScanMonitor* previewMonitor = nullptr;

    // ---- Commands ------------------------------------------------------------------------------
    // An operation button: the prompt of the chosen mode, the operation made with the rows'
    // positions and set up; inserted after the selection (and selected), or appended. False
    // when nothing was added (the user has been told why, or cancelled).
    bool Add(EVectorOp kind);
    // Double click: the operation's set-up again.
    bool EditSelected();
    bool SetSelected();  // "Set Selected Op"
    bool GetSelected();  // "Get Selected Op"
    bool Delete();       // "Del"
    bool MoveUp();       // "/\"
    bool MoveDown();     // "\/"
    bool Copy();         // "Copy"
    bool ClearAll();     // "Clear All"
    void Unselect() { selected = -1; }
    // "Locate": the row from a point on the live video. "Move To": the stage to the row.
    bool Locate(EStage stage);
    bool MoveToRow(EStage stage);
    void ShowRow(EStage stage);
    // "Calc >>": the estimate of one run into `estimate`.
    double CalcEstimate();
    // "Preview ...".
    bool Preview();

    // The list line of operation i (0-based).
    std::string ListLine(size_t i) const;
    // The estimated time of one run in seconds: every operation's acquisition time plus the
    // moves from the previous operation's positions (the first from where the stages stand).
    double EstimateSeconds() const;

    // OK: checks the entries (messages shown); true when they can be stored.
    bool Accept();
    // After Accept: the schedule and the operations into the document, and the settings lines
    // a new document and the next dialog start from.
    void Store(CObsDoc& doc);

    // The prompt mode line of velm.ini ("Vector Scan", "Line 0").
    static void LoadPromptLine(int& promptMode, int& unit);
    static void SavePromptLine(int promptMode, int unit);

  private:
    bool EditOperation(CVelmObs& op);
    bool PromptForRows();
    bool CheckSelection(const char* noneSelected) const;
    CDVector4& Row(EStage stage) { return stage == EStage::Probe ? probeRow : sampleRow; }
    void Insert(std::unique_ptr<CVelmObs> op);

    SVectorScanStation station;
    const CObsDoc& doc;
    double acceptedInterval = 0.0;
    int acceptedReps = 1;
    int acceptedAutoSaveEvery = 10;
};
