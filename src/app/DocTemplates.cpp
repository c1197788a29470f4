#include "app/DocTemplates.h"

#include <cctype>

const std::array<SDocTemplate, 5>& DocTemplates() {
    static const std::array<SDocTemplate, 5> templates = {{
        {EDocType::Observation, "CObsDoc", "CObsView", 4, "newdata", "VELM Data Document",
         "VELM Data Document (*.vpo)", ".vpo", "VELM.Data.Document", "VELM Data Document", nullptr},
        {EDocType::Scan, "CScanDoc", "CScanView", 6, "newscan", "VELM Scan Documents",
         "VELM Scan (*.scn)", ".scn", "SCN.Document", "SCN Document", nullptr},
        {EDocType::Display, "CDispDoc", "CDispView", 3, "newdisp", "VELM Display Document",
         "Probe Display (*.vpd)", ".vpd", "Vpd.Document", "VELM Display Document", nullptr},
        {EDocType::Image, "CDibDoc", "CDibView", 5, "newdib", "BMP Image", "BMP Image (*.bmp)",
         ".bmp", "BMP.Document", "BMP Document", nullptr},
        {EDocType::ImageSequence, "CVidSeqDoc", "CVidSeqView", 7, "newiseq", "VELM Image Sequence",
         "Image Sequence (*.isq)", ".isq", "ISQ.Document", "ISQ Document", ".vsq"},
    }};
    return templates;
}

const SDocTemplate& DocTemplate(EDocType type) {
    return DocTemplates()[static_cast<size_t>(type)];
}

namespace {
bool EndsWithIgnoringCase(const std::string& path, const char* ext) {
    const std::string e = ext;
    if (path.size() <= e.size()) return false;
    for (size_t i = 0; i < e.size(); ++i) {
        const char c = path[path.size() - e.size() + i];
        if (std::tolower(static_cast<unsigned char>(c)) != e[i]) return false;
    }
    return true;
}
}  // namespace

const SDocTemplate* FindTemplateForPath(const std::string& path) {
    for (const auto& t : DocTemplates()) {
        if (EndsWithIgnoringCase(path, t.extension) ||
            (t.alsoExtension && EndsWithIgnoringCase(path, t.alsoExtension)))
            return &t;
    }
    return nullptr;
}

std::string OpenFilter(const SDocTemplate& type) {
    std::string filter = type.filter;
    const size_t close = filter.rfind(')');
    if (type.alsoExtension && close != std::string::npos)
        filter.insert(close, std::string(" *") + type.alsoExtension);
    return filter;
}
