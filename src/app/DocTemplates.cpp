#include "app/DocTemplates.h"

#include <cctype>

const std::array<SDocTemplate, 5>& DocTemplates() {
    static const std::array<SDocTemplate, 5> templates = {{
        {EDocType::Observation, "CObsDoc", "CObsView", 4, "newdata", "VELM Data Document",
         "VELM Data Document (*.vpo)", ".vpo", "VELM.Data.Document", "VELM Data Document"},
        {EDocType::Scan, "CScanDoc", "CScanView", 6, "newscan", "VELM Scan Documents",
         "VELM Scan (*.scn)", ".scn", "SCN.Document", "SCN Document"},
        {EDocType::Display, "CDispDoc", "CDispView", 3, "newdisp", "VELM Display Document",
         "Probe Display (*.vpd)", ".vpd", "Vpd.Document", "VELM Display Document"},
        {EDocType::Image, "CDibDoc", "CDibView", 5, "newdib", "BMP Image", "BMP Image (*.bmp)",
         ".bmp", "BMP.Document", "BMP Document"},
        {EDocType::ImageSequence, "CVidSeqDoc", "CVidSeqView", 7, "newiseq", "VELM Image Sequence",
         "Image Sequence (*.isq)", ".isq", "ISQ.Document", "ISQ Document"},
    }};
    return templates;
}

const SDocTemplate& DocTemplate(EDocType type) {
    return DocTemplates()[static_cast<size_t>(type)];
}

const SDocTemplate* FindTemplateForPath(const std::string& path) {
    for (const auto& t : DocTemplates()) {
        std::string ext = t.extension;
        if (path.size() <= ext.size()) continue;
        bool match = true;
        for (size_t i = 0; i < ext.size(); ++i) {
            char c = path[path.size() - ext.size() + i];
            if (std::tolower(static_cast<unsigned char>(c)) != ext[i]) {
                match = false;
                break;
            }
        }
        if (match) return &t;
    }
    return nullptr;
}
