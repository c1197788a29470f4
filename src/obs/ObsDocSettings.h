#pragma once
// The settings lines of the observation document: a new document starts with the last saved
// export options, view filter, automatic-save choice, vector-scan and D/A-scan settings and the
// list view's detail flags. Lines that are there but unusable are named in one message and
// leave the defaults.

#include <string>

class CDataDocument;
class CObsDoc;

inline constexpr const char* kObsDocSection = "Observation Document";
inline constexpr const char* kObsDocViewSection = "Observation Document View";
inline constexpr const char* kTextMethodKey = "Textmethod";

// Reads "DataDoc Line 0" to "DataDoc Line 4", "Line 0" to "Line 4" of "Observation Document"
// and "Textmethod" of "Observation Document View" into a new document.
void LoadNewObsDocSettings(CObsDoc& doc);

// "DataDoc Line 0" to "DataDoc Line 4" of a data document, in `section`. Missing lines keep
// the document's values; a line that cannot be used in full is added to `problems` (one
// "\n  [section] key=value" each) and its unusable values are kept as they were.
void LoadDataDocLines(CDataDocument& doc, const char* section, std::string& problems);
void SaveDataDocLines(const CDataDocument& doc, const char* section);
// Single lines, written when the commands that own their values change them.
void SaveDataDocViewLine(const CDataDocument& doc, const char* section);      // Line 3
void SaveDataDocAutoSaveLine(const CDataDocument& doc, const char* section);  // Line 4
// "Line 0" to "Line 4" of "Observation Document" (vector-scan and D/A-scan dialogs write them).
void SaveObsDocLines(const CObsDoc& doc);
// The detail flags ("Textmethod"), written the moment they change.
void SaveTextMethod(int detailFlags, const char* section = kObsDocViewSection);
