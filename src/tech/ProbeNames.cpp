#include "tech/ProbeNames.h"

#include <strings.h>

#include "platform/Format.h"
#include "settings/Profile.h"
#include "tech/Station.h"

bool SameProbeName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && ::strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

int FindProbeName(const std::vector<std::string>& names, const std::string& name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (SameProbeName(names[i], name)) return static_cast<int>(i);
    return -1;
}

std::string NewProbeNameProblem(const std::string& name, const std::vector<std::string>& existing) {
    if (name.empty()) return "Enter a name for the probe.";
    if (name.size() > kMaxProbeNameLength)
        return StrPrintf("A probe name can be at most %zu characters long.", kMaxProbeNameLength);
    if (name.front() == ' ' || name.back() == ' ')
        return "A probe name cannot begin or end with a blank.";
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || c == '[' || c == ']' || c == '=' || c == ';' || c == ',')
            return "A probe name cannot hold [ ] = ; , tabs or control characters.";
    }
    if (FindProbeName(existing, name) >= 0)
        return StrPrintf("The name '%s' already exists.  Use a new name.", name.c_str());
    return {};
}

bool SaveProbeNameList(const std::vector<std::string>& names, size_t previousCount) {
    CProfile& p = Profile();
    bool ok = p.WriteProfileInt(kProbeNameSection, "Ion Types", static_cast<int>(names.size()));
    for (size_t i = 0; i < names.size(); ++i)
        ok = p.WriteProfileString(kProbeNameSection, StrPrintf("Name %zu", i + 1), names[i]) && ok;
    for (size_t i = names.size(); i < previousCount; ++i)
        ok = p.WriteProfileString(kProbeNameSection, StrPrintf("Name %zu", i + 1), "") && ok;
    return ok;
}
