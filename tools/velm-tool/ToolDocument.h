#pragma once
// The observation document a measuring command appends to: opened when the file is there,
// otherwise a new one with the settings a new document starts with (it is written only once
// something was added).

#include <string>

class CObsDoc;

// False after "velm-tool COMMAND: <why>" on standard error when `path` is there but cannot
// be read as an observation document.
bool OpenOrNewObsDoc(const std::string& path, CObsDoc& doc, const char* command);
