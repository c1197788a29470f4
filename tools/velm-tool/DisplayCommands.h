#pragma once
// Display documents in the document commands (describe, roundtrip).

#include <string>

// Whether the path names a display document (.vpd, letter case ignored).
bool IsDisplayPath(const std::string& path);
// One line for the window and one per layer with its stored fields.
int DescribeDisplay(const std::string& path);
// Loads the display document and saves it as `out` (byte for byte the same record).
int RoundtripDisplay(const std::string& in, const std::string& out);
