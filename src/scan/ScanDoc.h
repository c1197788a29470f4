#pragma once
// CScanDoc: one grid scan's file (.scn). It is a data document (the scan's observations) followed
// by the scan's definition: where its files go, when it repeats, the grid, the references, the
// homes, and copies of the optical system, calibrations and sampling rules it was taken with.
// The same fields make up a named parameter set in velm.ini (scan/GridScanSet).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "obs/DataDocument.h"
#include "obs/IonCalibration.h"
#include "obs/OpticalSystem.h"
#include "obs/SampRulesIon.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/ScanObs.h"
#include "obs/WireCalibration.h"
#include "platform/Vector4.h"

// Identifiers stored in the file and in the parameter sets' lines.
inline constexpr int kGridZigZag = 1027;
inline constexpr int kGridFlyback = 1028;
inline constexpr int kScanToolProbe = 1029;
inline constexpr int kScanToolSample = 1030;
inline constexpr int kMoveFast = 1048;
inline constexpr int kMoveTracking = 1049;
inline constexpr int kStepLogGrid = 1710;
inline constexpr int kStepGrid = 1711;
inline constexpr int kStepLine = 1712;
inline constexpr int kStepLogInc = 1713;
inline constexpr int kStepLogDec = 1714;
inline constexpr int kFirstAxisX = 1482;
inline constexpr int kFirstAxisW = 1483;
inline constexpr int kUnitSeconds = 1208;
inline constexpr int kUnitMinutes = 1209;
inline constexpr int kUnitHours = 1210;

class CScanDoc : public CDataDocument {
  public:
    CScanDoc();
    ~CScanDoc() override;

    // The data-document part, then the scan part.
    void Serialize(CArchive& ar) override;
    void DeleteContents() override;

    // ---- Stored scan part, in file order ------------------------------------------------------
    std::string rootDir;   // the data root at set-up (full path)
    std::string groupDir;  // the group's folder beside the root, e.g. "ScnGrp0007WedDec05"
    std::string scanFile;  // this file's own full path when it was saved
    int month = 0, day = 0;
    int groupNumber = 0;
    int lastScan = -1;  // the number of the scan saved before this one; -1 reads back 65535
    int64_t startTime = 0;
    int reps = 1;
    double interval = 60.0;
    int intervalUnit = kUnitSeconds;
    bool continuous = false;
    bool readOnly = false;
    int gridType = kGridZigZag;
    int scanTool = kScanToolProbe;
    int moveType = kMoveFast;
    int stepType = kStepGrid;
    int firstAxis = kFirstAxisX;
    bool alongAxes = false;
    bool refBeforeWire = false, refBeforeGradient = false, refAfterWire = false,
         refAfterGradient = false, refBeforeBath = false, refAfterBath = false;
    bool storeWire = true, storeGradient = false, storeRawAD = false;
    bool imageBefore = false, imageAfter = false, homeProbe = false, homeSample = false,
         showStatus = true;
    std::string preComment, postComment, paramSetName;
    CDVector4 reference, start, end, origin, probeHome, sampleHome;  // relative to origin
    CIVector4 steps{1, 1, 1, 1};
    COpticalSystem opticalSystem;
    CWireCalibration wireCal;
    std::vector<std::unique_ptr<CIonCalibration>> ionCals;  // pairs with ionRules by index
    CSampRulesWire wireRules;
    std::vector<std::unique_ptr<CSampRulesIon>> ionRules;
    CSampRulesRawAD rawADRules;

    // Not stored: the number of points of a "Line", "Log Inc" or "Log Dec" scan.
    int numPoints = 2;
    // Not stored: false while a scan group acquires into this document (its window stays).
    bool closable = true;

    // ---- Reading scan files ---------------------------------------------------------------------
    // A scan file is written once, by the scan that took it, and carries readOnly set. A document
    // read from one is for looking at and exporting: the user does not save it again.
    bool CanUserSave() const { return !readOnly; }
    // File > Save on a scan document: refused for a saved scan (with the reason in `message`),
    // otherwise an ordinary atomic save.
    bool SaveByUser(const std::string& path, std::string& message);

    // The points one scan visits: the steps of the four axes multiplied ("Grid:", "Log Grid"; an
    // axis of fewer than one step counts one), else numPoints (at least 2).
    int PointCount() const;
    // A rough acquisition time of one scan in seconds: the points times the sampling time of
    // the rules each point uses (CDP and raw A/D points). Moves, references, images and
    // gradient points are not counted.
    double EstimatedSeconds() const;
    // The scan's definition in a few lines (the scan window's "Review" of a saved scan).
    std::string Summary() const;
};

class CScanObs;

// A scan document read from its file, as a scan observation holds it (its GetNumber is the
// scan's estimated time).
class CScanDocumentHandle : public IScanDocument {
  public:
    explicit CScanDocumentHandle(std::unique_ptr<CScanDoc> doc) : document(std::move(doc)) {}
    double GetNumber() const override { return document->EstimatedSeconds(); }
    CScanDoc& Document() { return *document; }

  private:
    std::unique_ptr<CScanDoc> document;
};

// Reads the scan file at `path` (full path). Null, with the user's message in `message`, when
// it cannot be read as a scan document.
std::unique_ptr<CScanDoc> LoadScanDocument(const std::string& path, std::string& message);
// Loads the scan file `scan` names (resolved beside `holder`'s file when it has moved) into
// its scanDocument. False with the reason in `message`.
bool AttachScanDocument(CScanObs& scan, const CDataDocument* holder, std::string& message);
// Makes the text and surface exports read the scan files their scan observations name.
void InstallScanDocumentOpener();
