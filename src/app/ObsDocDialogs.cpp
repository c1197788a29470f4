#include "app/ObsDocDialogs.h"

#include <climits>

#include "obs/IonObs.h"
#include "platform/Format.h"
#include "platform/RunProgram.h"
#include "platform/Services.h"
#include "settings/Profile.h"
#include "tech/DialogFields.h"

namespace {

class CNoObsDocDialogs : public CObsDocDialogs {
  public:
    bool EditLogEntry(CLogEntryLogic&) override { return false; }
    bool EditAutoSave(CAutoSaveLogic&) override { return false; }
    bool DefineTimeRange(CTimeRangeLogic&) override { return false; }
    bool EditOpenWith(COpenWithLogic&) override { return false; }
    bool EditWireReference(CWireReferenceLogic&) override { return false; }
    bool EditIonReference(CIonReferenceLogic&) override { return false; }
};

CNoObsDocDialogs noDialogs;
CObsDocDialogs* current = &noDialogs;

template <class Logic>
bool RunScripted(const std::function<bool(Logic&)>& script, Logic& logic) {
    if (!script || !script(logic)) return false;
    std::string error;
    if (logic.Accept(error)) return true;
    Prompt().Message(error, EPromptIcon::Exclamation);
    return false;
}

}  // namespace

CLogEntryLogic::CLogEntryLogic() {
    TakeTime();
}

void CLogEntryLogic::TakeTime() {
    logTime = Clock().Now();
}

std::string CLogEntryLogic::TimeText() const {
    std::string out = CClock::FormatLocal(logTime.seconds, "%H:%M:%S");
    StrAppendf(out, ".%03d on ", logTime.milliseconds);
    out += CClock::FormatLocal(logTime.seconds, "%m/%d/%y");
    return out;
}

CAutoSaveLogic::CAutoSaveLogic(int n) : observations(std::to_string(n)), value(n) {}

bool CAutoSaveLogic::Accept(std::string& error) {
    int64_t n = 0;
    if (!ParseIntegerField(observations, "Automatic document save every", 0, 0xFFFF, n, error))
        return false;
    value = static_cast<int>(n);
    return true;
}

bool CTimeRangeLogic::Accept(std::string& error) const {
    if (start < INT32_MIN || start > INT32_MAX || end < INT32_MIN || end > INT32_MAX) {
        error =
            "The time range must lie between 12/14/1901 and 01/18/2038: the document "
            "cannot store other times.";
        return false;
    }
    if (start > end) {
        error = "The start of the time range is later than its end.";
        return false;
    }
    return true;
}

COpenWithLogic::COpenWithLogic() : command(StoredCommand()) {}

std::string COpenWithLogic::StoredCommand() {
    return Profile().GetProfileString(kOpenWithSection, kOpenWithExportsKey,
                                      kOpenWithDefaultCommand);
}

bool COpenWithLogic::Accept(std::string& error) const {
    std::vector<std::string> words;
    std::string why;
    if (!SplitCommandLine(command, words, &why)) {
        error = "The command line cannot be used: " + why + ".";
        return false;
    }
    if (words.empty()) {
        error = "Please enter the program that opens exported observations.";
        return false;
    }
    return true;
}

void COpenWithLogic::Save() const {
    Profile().WriteProfileString(kOpenWithSection, kOpenWithExportsKey, command);
}

CWireReferenceLogic::CWireReferenceLogic(const CDVector4& r)
    : xInPh(FormatNumber(r.x)),
      xQuad(FormatNumber(r.y)),
      yInPh(FormatNumber(r.z)),
      yQuad(FormatNumber(r.w)),
      value(r) {}

bool CWireReferenceLogic::Accept(std::string& error) {
    CDVector4 v;
    if (!ParseNumberField(xInPh, "X In-Ph", v.x, error) ||
        !ParseNumberField(xQuad, "X Quad", v.y, error) ||
        !ParseNumberField(yInPh, "Y In-Ph", v.z, error) ||
        !ParseNumberField(yQuad, "Y Quad", v.w, error))
        return false;
    value = v;
    return true;
}

CIonReferenceLogic::CIonReferenceLogic(const CIonReading& r)
    : gradient(r.name),
      numberOfSamples(StrPrintf("%d x %d", r.nReps, r.nPoints)),
      daChannel0(FormatNumber(r.da0)),
      daChannel1(FormatNumber(r.da1)),
      da0(r.da0),
      da1(r.da1),
      values(r.values),
      expected(r.values.size()) {
    for (size_t i = 0; i < r.values.size(); ++i) {
        if (i > 0) samples += ' ';
        samples += FormatNumber(r.values[i]);
    }
}

bool CIonReferenceLogic::Accept(std::string& error) {
    double d0 = 0, d1 = 0;
    if (!ParseNumberField(daChannel0, "D/A Channel 0:", d0, error) ||
        !ParseNumberField(daChannel1, "D/A Channel 1:", d1, error))
        return false;
    std::vector<double> parsed;
    size_t at = 0;
    const char* kSeparators = " \t\r\n,;";
    while (true) {
        const size_t begin = samples.find_first_not_of(kSeparators, at);
        if (begin == std::string::npos) break;
        const size_t end = samples.find_first_of(kSeparators, begin);
        const std::string word =
            samples.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        double v = 0;
        if (!ParseNumberField(word, "Samples:", v, error)) return false;
        // More numbers than the reference holds cannot be right; stop reading there.
        if (parsed.size() == expected) {
            parsed.push_back(v);
            break;
        }
        parsed.push_back(v);
        if (end == std::string::npos) break;
        at = end;
    }
    if (parsed.size() != expected) {
        error = StrPrintf(
            "\"Samples:\" needs %zu numbers (%s), not %s.", expected, numberOfSamples.c_str(),
            parsed.size() > expected ? "more" : std::to_string(parsed.size()).c_str());
        return false;
    }
    da0 = d0;
    da1 = d1;
    values = std::move(parsed);
    return true;
}

CObsDocDialogs& ObsDocDialogs() {
    return *current;
}

void SetObsDocDialogs(CObsDocDialogs* dialogs) {
    current = dialogs ? dialogs : &noDialogs;
}

CScopedObsDocDialogs::CScopedObsDocDialogs(CObsDocDialogs* dialogs) : previous(current) {
    SetObsDocDialogs(dialogs);
}

CScopedObsDocDialogs::~CScopedObsDocDialogs() {
    current = previous;
}

bool CScriptedObsDocDialogs::EditLogEntry(CLogEntryLogic& logic) {
    return logEntry && logEntry(logic);
}
bool CScriptedObsDocDialogs::EditAutoSave(CAutoSaveLogic& logic) {
    return RunScripted(autoSave, logic);
}
bool CScriptedObsDocDialogs::DefineTimeRange(CTimeRangeLogic& logic) {
    return RunScripted(timeRange, logic);
}
bool CScriptedObsDocDialogs::EditOpenWith(COpenWithLogic& logic) {
    return RunScripted(openWith, logic);
}
bool CScriptedObsDocDialogs::EditWireReference(CWireReferenceLogic& logic) {
    return RunScripted(wireReference, logic);
}
bool CScriptedObsDocDialogs::EditIonReference(CIonReferenceLogic& logic) {
    return RunScripted(ionReference, logic);
}
