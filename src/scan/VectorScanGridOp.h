#pragma once
// Grid-scan operations of a vector scan. The operation is a CScanObs whose fileName holds the
// name of its own parameter set ("VCTOP%03d"), saved when the operation was set up; its loaded
// scan (CVectorGridScan) keeps that set's values and the number of the last scan it saved.
// A document read from its file has only the name: the scan is rebuilt from the set the first
// time the operation runs, as a new scan group. Each run takes the next free number of the
// operation's own group, so no run ever meets the file of an earlier one.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "obs/ScanObs.h"
#include "platform/Vector4.h"

class CScanDoc;
class CStation;
class CTransferFolder;
class IGridScanDialogs;
class IScanStatusSink;

class CVectorGridScan : public IScanDocument {
  public:
    // `groupReady`: the scan's group (root, folder, number) has been set up already.
    CVectorGridScan(std::unique_ptr<CScanDoc> params, const CStation* station, bool groupReady);
    ~CVectorGridScan() override;

    // The estimated time of one scan on the station (the set-up's "<< Calc").
    double GetNumber() const override;

    CScanDoc& Params() { return *params; }
    const CScanDoc& Params() const { return *params; }
    bool GroupReady() const { return groupReady; }
    void SetGroupReady() { groupReady = true; }
    // The number the next scan gets: one after the last saved, 0 for the first.
    int NextScanNumber() const;
    std::unique_ptr<CVectorGridScan> Copy() const;

  private:
    std::unique_ptr<CScanDoc> params;
    const CStation* station;
    bool groupReady;
};

// The operation's loaded scan, or null.
CVectorGridScan* VectorGridScanOf(CScanObs& op);

// "Grid Scan" in the definition dialog: "Load Grid Scan Parameters", the chosen set's
// "Grid Scan Setup", and the set saved under the operation's fileName. On success the scan's
// origin and whether its scan tool is the sample.
struct SVectorGridSetup {
    CDVector4 origin;
    bool sampleTool = false;
};
std::optional<SVectorGridSetup> SetUpVectorGridScan(CScanObs& op, CStation& station,
                                                    IGridScanDialogs& dialogs);

// The operation's scan from its parameter set, values only (for estimates): false when the set
// is not in velm.ini.
bool LoadVectorGridScan(CScanObs& op, const CStation& station);

// What one run of a grid-scan operation needs from the run around it.
struct SVectorGridRun {
    IScanStatusSink* status = nullptr;
    std::function<bool()> escapePressed;
    CTransferFolder* transfer = nullptr;  // triggered runs: its abort command stops the scan
    std::string obsDocPath;
};

enum class EVectorGridResult {
    Taken,        // the scan's file was written
    NotSaved,     // the scan ran but left no file (the user has been told)
    Aborted,      // Esc answered to stop, or the abort command
    SetMissing,   // the parameter set is gone: nothing was done
    GroupFailed,  // the scan group could not be set up (the user has been told)
};

// One scan of the operation at the next free number of its group; a saved scan's CScanObs
// (number and file) goes to `taken`.
EVectorGridResult RunVectorGridScan(CScanObs& op, CStation& station, const SVectorGridRun& run,
                                    std::unique_ptr<CVelmObs>& taken);

// "The grid scan parameters ... are gone": the message of a skipped operation.
std::string MissingGridSetMessage(const std::string& setName);
