#pragma once
// The text export options of a data document: which classes and columns go out, how times and
// separators are written. They are fields of the document (stored with it) and are also kept
// in the "DataDoc Line 0".."DataDoc Line 4" settings of the document's kind, from which the
// export command starts. One function builds the options word from them, for the desktop
// program and for velm-tool alike.

#include <cstdint>
#include <string>

class CDataDocument;
class CVelmObs;

#include "obs/ObsDocSettings.h"

// The settings sections that hold the export options of each kind of data document
// (kObsDocSection for observation documents).
inline constexpr const char* kScanDocSection = "Grid Scan Definition";
inline constexpr const char* kVidSeqDocSection = "Video Sequence Document View";

// The dialog's choices, stored as the identifiers of their radio buttons.
inline constexpr int kTimeClock = 1405;    // "HH:MM:SS.XXX"
inline constexpr int kTimeHours = 1406;    // "Hours"
inline constexpr int kTimeMinutes = 1407;  // "Minutes"
inline constexpr int kTimeSeconds = 1408;  // "Seconds from"
inline constexpr int kDataComma = 1398;    // "Comma Separated Values"
inline constexpr int kDataTab = 1399;      // "Tab Delimiters"

struct SExportOptions {
    // Classes.
    int exportDIB = 1, exportIonCal = 1, exportIonPt = 1, exportIonRef = 1, exportIonSampRules = 1,
        exportLog = 1, exportScan = 1, exportContour = 1, exportVidSeq = 1, exportWireCal = 1,
        exportWirePt = 1, exportWireRef = 1, exportWireSampRules = 1, exportRawAD = 1,
        exportRawADSampRules = 1;
    // Columns. Mind the two swapped names: `useNumber` holds the "Data" choice and `useData`
    // the "Number label" choice; the settings lines and the document file use them so.
    int includeHeader = 1, useCalcs = 1, useNumber = 1, useData = 0, useDate = 1, useProbePos = 1,
        useSampPos = 0, useTime = 1, useDescrip = 1;
    int exportTimeType = kTimeMinutes;
    int exportDataType = kDataTab;
    int64_t referenceTime = 0;
    // "Use Concentrations (ion calibrations)": not kept anywhere, only for this export.
    bool useConcentrations = false;
};

// The options a document holds, and back into it.
SExportOptions ExportOptionsOf(const CDataDocument& document);
void StoreExportOptions(CDataDocument& document, const SExportOptions& options);

// The options word handed to every observation's Export. A time or separator identifier that is
// none of the dialog's (a damaged file or settings line) counts as the default.
unsigned ExportOptionsWord(const SExportOptions& options);
unsigned ExportOptionsWord(const CDataDocument& document);

// Whether `obs`'s class is chosen for export.
bool IsExportSelected(const CVelmObs& obs, const SExportOptions& options);

// Reads "DataDoc Line 0".."DataDoc Line 3" of `section` over `options` (the export fields only:
// the view filter and automatic saving, on the same lines, belong to the document's window and
// are left alone). A missing line keeps the values; a line that cannot be used is named in one
// message and its unusable values are kept as they were.
void LoadExportSettings(SExportOptions& options, const std::string& section);
