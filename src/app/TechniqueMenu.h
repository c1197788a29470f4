#pragma once
// The observation documents' Technique menu: its title follows the station's technique, and
// its "&ISP/PVP" entry lists the gradient probe names kept in velm.ini.

#include <string>
#include <vector>

inline constexpr const char* kIspPvpNameSection = "ISP/PVP Name List";

struct SIspPvpNames {
    std::vector<std::string> names;  // in the order of "Name 1", "Name 2", ...
    std::string selected;            // "" when none is selected
};

// Reads section "ISP/PVP Name List": "Ion Types" names under "Name %d" (1-based) and
// "Selected". Empty names are skipped; a count beyond kMaxIspPvpNames is read as that many.
SIspPvpNames ReadIspPvpNames();
inline constexpr int kMaxIspPvpNames = 1000;

// "&Technique (CDP)", "&Technique (ISP/PVP)" or "&Technique (<probe name>)",
// "&Technique (RawA/D)", "&Technique (Interest Point)"; "&Technique" for anything else.
std::string TechniqueMenuTitle(int measurementType, const std::string& selectedProbe);
