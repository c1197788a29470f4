#include "app/TechniqueMenu.h"

#include "app/Profile.h"
#include "app/Station.h"
#include "platform/Format.h"

SIspPvpNames ReadIspPvpNames() {
    SIspPvpNames list;
    CProfile& profile = Profile();
    int count = profile.GetProfileInt(kIspPvpNameSection, "Ion Types", 0);
    if (count > kMaxIspPvpNames) count = kMaxIspPvpNames;
    for (int i = 1; i <= count; ++i) {
        std::string name = profile.GetProfileString(kIspPvpNameSection, StrPrintf("Name %d", i));
        if (!name.empty()) list.names.push_back(name);
    }
    list.selected = profile.GetProfileString(kIspPvpNameSection, "Selected");
    return list;
}

std::string TechniqueMenuTitle(int measurementType, const std::string& selectedProbe) {
    switch (measurementType) {
        case kTechniqueCdp:
            return "&Technique (CDP)";
        case kTechniqueGradient:
            return selectedProbe.empty() ? "&Technique (ISP/PVP)"
                                         : "&Technique (" + selectedProbe + ")";
        case kTechniqueRawAD:
            return "&Technique (RawA/D)";
        case kTechniqueInterestPoint:
            return "&Technique (Interest Point)";
        default:
            return "&Technique";
    }
}
