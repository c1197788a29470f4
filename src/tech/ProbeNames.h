#pragma once
// The names of the station's gradient probes (section "ISP/PVP Name List": "Ion Types" and
// "Name %d"). A name becomes a velm.ini section ("%s ISP/PVP Probe"), keys and export titles, so
// a new name is checked before it is kept: it must not be able to open or merge a section, end
// a line or split an export column.

#include <string>
#include <vector>

inline constexpr size_t kMaxProbeNameLength = 63;

// Whether two names stand for the same probe (velm.ini sections match without letter case).
bool SameProbeName(const std::string& a, const std::string& b);
// The index of `name` in `names` (letter case aside), or -1.
int FindProbeName(const std::vector<std::string>& names, const std::string& name);
// Why `name` cannot be a new probe name beside `existing`, or "".
std::string NewProbeNameProblem(const std::string& name, const std::vector<std::string>& existing);
// Writes the whole list; the keys of names beyond it (`previousCount`) are emptied.
bool SaveProbeNameList(const std::vector<std::string>& names, size_t previousCount);

// "New ISP/PVP Name".
class CNewProbeNameLogic {
  public:
    static constexpr const char* kPrompt =
        "Enter a name for a new ion selective probe (ISP) or polarographic/voltammetric probe "
        "(PVP):";

    explicit CNewProbeNameLogic(std::vector<std::string> existing)
        : existing(std::move(existing)) {}

    std::string name;  // edit 1199
    bool Accept(std::string& error) const {
        return (error = NewProbeNameProblem(name, existing)).empty();
    }

  private:
    std::vector<std::string> existing;
};
