#include "obs/LogEntry.h"

#include "obs/InterestPointObs.h"
#include "settings/Profile.h"

namespace {
std::function<bool(const std::string&)>& OpenExportedFile() {
    static std::function<bool(const std::string&)> hook;
    return hook;
}
}  // namespace

void SetOpenExportedFileHook(std::function<bool(const std::string& between)> hook) {
    OpenExportedFile() = std::move(hook);
}

void CInterestPointObs::Describe(std::string& text, const CDataDocument* document,
                                 unsigned options) const {
    CVelmObs::Describe(text, document, options);
    if (options & DetailFlags::kType) text += "Interest Point";
}

void CLogEntry::Serialize(CArchive& ar) {
    CVelmObs::Serialize(ar);
    ar.String(text);
}

void CLogEntry::Describe(std::string& out, const CDataDocument* document, unsigned options) const {
    CVelmObs::Describe(out, document, options);
    if (options & DetailFlags::kType) out += "Log Entry:  ";
    if (WantsData(options)) out += text;
}

bool CLogEntry::ExportedFileText(const std::string& text, std::string& between) {
    // The entry the exports write, "Export to file %s complete.", and nothing else: the file
    // name is everything between the two ends, whatever words it holds itself ("complete." in
    // a folder name, say).
    static const std::string kStart = "Export to file";
    static const std::string kEnd = "complete.";
    if (text.size() < kStart.size() + kEnd.size() + 3 || text.compare(0, kStart.size(), kStart) ||
        text[kStart.size()] != ' ' || text.compare(text.size() - kEnd.size(), kEnd.size(), kEnd) ||
        text[text.size() - kEnd.size() - 1] != ' ')
        return false;
    between = text.substr(kStart.size(), text.size() - kEnd.size() - kStart.size());
    return true;
}

bool CLogEntry::Open(CDataDocument* document, unsigned options) {
    std::string file;
    if (OpenExportedFile() && ExportedFileText(text, file)) return OpenExportedFile()(file);
    return CVelmObs::Open(document, options);
}
