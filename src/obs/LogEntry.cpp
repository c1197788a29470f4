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
    const std::string kStart = "Export to file";
    size_t start = text.find(kStart + " ");
    if (start == std::string::npos) return false;
    start += kStart.size();
    size_t end = text.find("complete.", start);
    if (end == std::string::npos) return false;
    between = text.substr(start, end - start);
    return true;
}

bool CLogEntry::Open(CDataDocument* document, unsigned options) {
    std::string file;
    if (OpenExportedFile() && ExportedFileText(text, file)) return OpenExportedFile()(file);
    return CVelmObs::Open(document, options);
}
