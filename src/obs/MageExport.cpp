#include "obs/MageExport.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "obs/DataDocument.h"
#include "obs/InterestPointObs.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"

namespace {

MageExportDialogHook& DialogHook() {
    static MageExportDialogHook hook;
    return hook;
}

bool IsNumber(const std::string& text) {
    return ParseNumberEntry(text).has_value();
}

}  // namespace

CMageExportLogic::CMageExportLogic(const CDataDocument& document, const std::string& proposedPath)
    : range(ViewRangeOf(document)), outputPath(proposedPath), document(document) {
    // The document's contour is its interest points.
    for (const auto& obs : document.Observations()) {
        if (&obs->GetRuntimeClass() == &CInterestPointObs::classInfo) {
            contours.push_back("Contour Points");
            break;
        }
    }
}

std::string CMageExportLogic::RangeText() const {
    return ::RangeText(document, range);
}

bool CMageExportLogic::ObservationsFrom() {
    return ChooseExportRange(document, range);
}

bool CMageExportLogic::Ok() {
    static const char* const kScaleNames[3] = {"X scale", "Y scale", "Z scale"};
    static const char* const kAngleNames[3] = {"X angle", "Y angle", "Z angle"};
    for (int i = 0; i < 6; ++i) {
        const bool isScale = i < 3;
        if (IsNumber(isScale ? scale[i] : angle[i - 3])) continue;
        Prompt().Message(
            StrPrintf("\"%s\" must be a number.", isScale ? kScaleNames[i] : kAngleNames[i - 3]),
            EPromptIcon::Exclamation, kCaption);
        return false;
    }
    return true;
}

void SetMageExportDialog(MageExportDialogHook hook) {
    DialogHook() = std::move(hook);
}

bool MageExportCommand(const CDataDocument& document) {
    CMageExportLogic logic(document, ProposedExportPath());
    return DialogHook() && DialogHook()(logic);
}
