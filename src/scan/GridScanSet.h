#pragma once
// Named grid scan parameter sets in velm.ini, and the scan fields that follow from them.
//
// The index section "Grid Scan Definition" lists the sets ("Number of Entries", "Entry 0",
// "Entry 1", ... in order of creation, "Selected" the one chosen last). Each set is a section
// named by the set: the scan document's "DataDoc Line 0".."4", "Line 0".."Line 10" with the
// grid, timing, references, homes and images, "Ion Types" and "Gradient Probe %d" naming the
// gradient probes it samples; its CDP and raw A/D sampling rules are kept by their own
// classes under the set's name as key. A set's name therefore becomes a section name and a
// key: names that would land on the station's own sections or keys are refused.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Vector4.h"

class CScanDoc;
class CStation;

inline constexpr const char* kGridScanSection = "Grid Scan Definition";

// ---- Fields of one scan ---------------------------------------------------------------------
// The repetition interval in whole seconds (interval x 1, 60 or 3600 by unit, truncated). An
// interval that is not a finite number, is negative, or lies beyond kMaxIntervalSeconds is
// clamped (0 for nonsense below, the bound above), so a damaged set can neither run scans back
// to back nor overflow.
inline constexpr int kMaxIntervalSeconds = 366 * 24 * 3600;
int IntervalSeconds(const CScanDoc& doc);
// The interval in seconds as typed (for the estimate's comparison), 0 when not a number.
double IntervalValueSeconds(const CScanDoc& doc);
// Sets the reference location and switches on the before references of what the scan stores.
void SetReference(CScanDoc& doc, const CDVector4& position);
// Scans in a group: 9999 when continuous, else reps.
inline constexpr int kMaxScansInGroup = 9999;
int NumberOfScans(const CScanDoc& doc);
// Points of one scan: the product of the step counts for the grid types, numPoints for lines.
int64_t PointCount(const CScanDoc& doc);
// A copy of every parameter field of `from` (not the observation list, not the file fields).
void CopyScanParams(const CScanDoc& from, CScanDoc& to);
// The scan measures current densities with the station's CDP calibration in force: a copy of
// it (the default, all-zero calibration only when the station holds none).
void TakeStationCalibration(CScanDoc& doc, const CStation& station);

// ---- One set in velm.ini --------------------------------------------------------------------
// Writes every line of the set `section`. False when velm.ini could not be written.
bool SaveScanParams(const CScanDoc& doc, const std::string& section);
// Reads the set `section` into the fields (missing lines keep the values), rebuilds the
// gradient lists from the probes' own settings, then the CDP and raw A/D rules.
void LoadScanParams(CScanDoc& doc, const std::string& section);
// Whether velm.ini holds the set `section` (its lines are there, listed or not).
bool GridScanSetExists(const std::string& section);

// ---- The list of sets ---------------------------------------------------------------------------
std::vector<std::string> GridScanSetNames();
std::string SelectedGridScanSet();
void SetSelectedGridScanSet(const std::string& name);
// Why `name` cannot name a new set ("" when it can). The caption for the message goes to
// `caption`: "New Parameter Name Error" for an empty or unusable name, "Add New Parameter
// Error" for one already listed (in any letter case).
std::string CheckNewGridScanSetName(const std::string& name, std::string* caption = nullptr);

// "Load Grid Scan Parameters": the list, "New ...", "Remove" and OK.
class CGridScanSetList {
  public:
    static constexpr const char* kTitle = "Load Grid Scan Parameters";
    static constexpr const char* kNewTitle = "New Grid Scan Parameter Name";
    static constexpr const char* kNewPrompt = "Enter a new grid scan parameter name:";

    // The names from velm.ini with "Selected" chosen (the first when it is not listed).
    CGridScanSetList();

    std::vector<std::string> names;
    int selected = -1;

    // "New ...": after the checks the name is listed at once (velm.ini) and selected. False
    // after a message.
    bool New(const std::string& name);
    // "Remove": the selected set leaves the list after the question (its section stays, so a
    // set of that name made again starts from its old lines). False when nothing was removed.
    bool Remove();
    // OK: the chosen name, remembered as "Selected"; "" (after a message) when none is chosen.
    std::string Ok();
};
