#include "display/SourceDocuments.h"

#include <algorithm>
#include <cctype>

#include "obs/ObsDoc.h"
#include "scan/ScanDoc.h"

namespace {

struct SSourceKind {
    const char* extension;  // lower case, with its dot
    std::unique_ptr<CDataDocument> (*create)();
};

const SSourceKind kSourceKinds[] = {
    {".vpo", []() -> std::unique_ptr<CDataDocument> { return std::make_unique<CObsDoc>(); }},
    {".scn", []() -> std::unique_ptr<CDataDocument> { return std::make_unique<CScanDoc>(); }},
};

std::string LowerExtension(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

}  // namespace

std::unique_ptr<CDataDocument> NewSourceDocumentFor(const std::string& path) {
    const std::string ext = LowerExtension(path);
    for (const SSourceKind& kind : kSourceKinds)
        if (ext == kind.extension) return kind.create();
    return nullptr;
}

bool IsSourceDocumentPath(const std::string& path) {
    const std::string ext = LowerExtension(path);
    return std::any_of(std::begin(kSourceKinds), std::end(kSourceKinds),
                       [&](const SSourceKind& k) { return ext == k.extension; });
}

bool IsLayerImagePath(const std::string& path) {
    return LowerExtension(path) == ".bmp";
}

std::unique_ptr<CDataDocument> OpenSourceDocument(const std::string& path, std::string& message) {
    std::unique_ptr<CDataDocument> doc = NewSourceDocumentFor(path);
    if (!doc) {
        message = "'" + path + "' is not an observation or scan document.";
        return nullptr;
    }
    if (!doc->LoadFile(path, message)) {
        if (message.empty()) message = "Cannot read '" + path + "'.";
        return nullptr;
    }
    doc->SetPathName(path);
    return doc;
}
