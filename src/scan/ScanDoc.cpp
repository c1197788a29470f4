#include "scan/ScanDoc.h"

#include <algorithm>

#include "obs/LinkedFile.h"
#include "obs/TextExport.h"
#include "platform/Format.h"
#include "platform/Services.h"

namespace {
bool IsIonCalibration(const CSerializable& o) {
    return dynamic_cast<const CIonCalibration*>(&o) != nullptr;
}
bool IsIonRules(const CSerializable& o) {
    return dynamic_cast<const CSampRulesIon*>(&o) != nullptr;
}
// The smallest stored element of either list: its class tag, the observation base record and a
// one-letter name.
constexpr uint64_t kMinIonRecordBytes = 2 + 72 + 2;
}  // namespace

CScanDoc::CScanDoc() = default;
CScanDoc::~CScanDoc() = default;

void CScanDoc::Serialize(CArchive& ar) {
    CDataDocument::Serialize(ar);
    if (ar.Failed()) return;
    ar.String(rootDir);
    ar.String(groupDir);
    ar.String(scanFile);
    ar.Word(month);
    ar.Word(day);
    ar.Word(groupNumber);
    ar.Word(lastScan);
    ar.Time(startTime);
    ar.Word(reps);
    ar.Double(interval);
    ar.Word(intervalUnit);
    ar.Word(continuous);
    ar.Word(readOnly);
    ar.Word(gridType);
    ar.Word(scanTool);
    ar.Word(moveType);
    ar.Word(stepType);
    ar.Word(firstAxis);
    ar.Word(alongAxes);
    // The file keeps the before/after pairs of the probes first and the bath's last.
    for (bool* flag : {&refBeforeWire, &refBeforeGradient, &refAfterWire, &refAfterGradient,
                       &refBeforeBath, &refAfterBath})
        ar.Word(*flag);
    ar.Word(storeWire);
    ar.Word(storeGradient);
    ar.Word(storeRawAD);
    ar.Word(imageBefore);
    ar.Word(imageAfter);
    ar.Word(homeProbe);
    ar.Word(homeSample);
    ar.Word(showStatus);
    ar.String(preComment);
    ar.String(postComment);
    ar.String(paramSetName);
    for (CDVector4* v : {&reference, &start, &end, &origin, &probeHome, &sampleHome})
        ar.Vector(*v);
    ar.Vector(steps);
    if (ar.Failed()) return;
    opticalSystem.Serialize(ar);
    if (ar.Failed()) return;
    wireCal.Serialize(ar);
    if (ar.Failed()) return;
    SerializeOwnedList(ar, ionCals, IsIonCalibration, kMinIonRecordBytes);
    if (ar.Failed()) return;
    wireRules.Serialize(ar);
    if (ar.Failed()) return;
    SerializeOwnedList(ar, ionRules, IsIonRules, kMinIonRecordBytes);
    if (ar.Failed()) return;
    rawADRules.Serialize(ar);
}

void CScanDoc::DeleteContents() {
    CDataDocument::DeleteContents();
    ionCals.clear();
    ionRules.clear();
}

bool CScanDoc::SaveByUser(const std::string& path, std::string& message) {
    if (readOnly) {
        message = StrPrintf("%s is a saved scan and is read-only.", path.c_str());
        return false;
    }
    return SaveFile(path, message);
}

int CScanDoc::PointCount() const {
    if (stepType == kStepGrid || stepType == kStepLogGrid) {
        int64_t count = 1;
        for (int n : {steps.x, steps.y, steps.z, steps.w})
            count *= std::max(n, 1);
        return static_cast<int>(std::min<int64_t>(count, 1 << 30));
    }
    return std::max(numPoints, 2);
}

double CScanDoc::EstimatedSeconds() const {
    double perPoint = 0.0;
    if (storeWire) perPoint += wireRules.GetNumber(false);
    if (storeRawAD) perPoint += rawADRules.GetNumber();
    return PointCount() * perPoint;
}

std::unique_ptr<CScanDoc> LoadScanDocument(const std::string& path, std::string& message) {
    auto doc = std::make_unique<CScanDoc>();
    if (!doc->LoadFile(path, message)) return nullptr;
    return doc;
}

bool AttachScanDocument(CScanObs& scan, const CDataDocument* holder, std::string& message) {
    const std::string path =
        ResolveLinkedFile(scan.fileName, holder ? holder->GetPathName() : std::string());
    if (path.empty()) {
        message = "File " + scan.fileName + " not found.";
        return false;
    }
    std::unique_ptr<CScanDoc> doc = LoadScanDocument(path, message);
    if (!doc) return false;
    scan.scanDocument = std::make_unique<CScanDocumentHandle>(std::move(doc));
    return true;
}

void InstallScanDocumentOpener() {
    SetScanDocumentOpener([](const std::string& path) -> std::unique_ptr<CDataDocument> {
        std::string message;
        std::unique_ptr<CScanDoc> doc = LoadScanDocument(path, message);
        if (!doc && !message.empty()) Prompt().Message(message, EPromptIcon::Exclamation);
        return doc;
    });
}

std::string CScanDoc::Summary() const {
    auto name = [](int id) -> const char* {
        switch (id) {
            case kGridZigZag:
                return "Zig-Zag";
            case kGridFlyback:
                return "Flyback";
            case kScanToolProbe:
                return "probe";
            case kScanToolSample:
                return "sample";
            case kStepLogGrid:
                return "Log Grid";
            case kStepGrid:
                return "Grid:";
            case kStepLine:
                return "Line";
            case kStepLogInc:
                return "Log Inc";
            case kStepLogDec:
                return "Log Dec";
            case kFirstAxisX:
                return "X axis first";
            case kFirstAxisW:
                return "W axis first";
            default:
                return "?";
        }
    };
    std::string text = StrPrintf("Scan file %s\nParameter set %s, group %d\n", scanFile.c_str(),
                                 paramSetName.c_str(), groupNumber);
    StrAppendf(text, "%s %s, %s, %s\n", name(stepType), name(gridType), name(scanTool),
               name(firstAxis));
    StrAppendf(text, "Origin ( %.1f, %.1f, %.1f, %.1f )\n", origin.x, origin.y, origin.z, origin.w);
    StrAppendf(text, "Start ( %.1f, %.1f, %.1f, %.1f )  End ( %.1f, %.1f, %.1f, %.1f )\n", start.x,
               start.y, start.z, start.w, end.x, end.y, end.z, end.w);
    if (stepType == kStepGrid || stepType == kStepLogGrid)
        StrAppendf(text, "Steps %d x %d x %d x %d = %d points\n", steps.x, steps.y, steps.z,
                   steps.w, PointCount());
    StrAppendf(text, "%zu observations", GetObsCount());
    if (!preComment.empty()) text += "\nBefore: " + preComment;
    if (!postComment.empty()) text += "\nAfter: " + postComment;
    return text;
}
