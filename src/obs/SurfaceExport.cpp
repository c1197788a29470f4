#include "obs/SurfaceExport.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "obs/DataDocument.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/LinkedFile.h"
#include "obs/SampRulesIon.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/ScanObs.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/RunProgram.h"
#include "platform/Services.h"
#include "settings/FileNumbering.h"
#include "settings/Profile.h"

const char* const kCdpQuantityLabels[8] = {
    "X current density",   "Y current density", "Total current density",
    "Angle of components", "X In Phase",        "X Quadrature",
    "Y In Phase",          "Y Quadrature"};

namespace {

constexpr const char* kOpenWithSection = "Open Observations With ...";
constexpr int kMaxNumber = 0x7FFF;
constexpr uint16_t kMatrixFlag = 1;
constexpr uint16_t kApplyReferenceFlag = 2;

SurfaceExportDialogHook& DialogHook() {
    static SurfaceExportDialogHook hook;
    return hook;
}

bool IsCdpQuantity(int code) {
    return code >= ValueCode::kXCurrentDensity && code <= ValueCode::kYQuadrature;
}
bool IsGradientQuantity(int code) {
    return code == ValueCode::kSampleNumber || code == ValueCode::kScalar;
}
bool IsQuantity(int code) {
    return IsCdpQuantity(code) || IsGradientQuantity(code) || code == ValueCode::kChannel;
}

int ComponentIndex(const int (&ids)[4], int id) {
    for (int i = 0; i < 4; ++i)
        if (ids[i] == id) return i;
    return -1;
}

int WordOr(uint16_t word, int low, int high, int fallback) {
    return word >= low && word <= high ? word : fallback;
}

bool ParseWhole(const std::string& text, long low, long high, int& value) {
    const std::optional<int64_t> v = ParseDigitsEntry(text, low, high);
    if (v) value = static_cast<int>(*v);
    return v.has_value();
}

// One surface export into one file; scan documents are written into the same file.
class CSurfaceRun {
  public:
    CSurfaceRun(const SSurfaceDefinition& definition, const SSurfaceQuantity& quantity,
                IExportSink& sink)
        : definition(definition),
          quantity(quantity),
          sink(sink),
          xIndex(std::max(0, ComponentIndex(kSurfaceXValueIds, definition.xValue))),
          yIndex(std::max(0, ComponentIndex(kSurfaceYValueIds, definition.yValue))) {}

    void ExportDocument(const CDataDocument& document, const SExportRange& range);
    bool Finish() {
        Flush();
        return ok;
    }

  private:
    void Flush() {
        if (!buffer.empty() && ok) ok = sink.Write(buffer);
        buffer.clear();
    }
    void ExportScan(const CScanObs& scan, const CDataDocument& document);

    const SSurfaceDefinition& definition;
    const SSurfaceQuantity& quantity;
    IExportSink& sink;
    const int xIndex, yIndex;
    std::string buffer;
    bool ok = true;
    std::vector<std::string> scanChain;
};

void CSurfaceRun::ExportDocument(const CDataDocument& document, const SExportRange& range) {
    bool havePrevious = false;
    double previousY = 0.0;
    for (const auto& owned : document.Observations()) {
        const CVelmObs& obs = *owned;
        if (!range.all) {
            if (obs.time < range.start) continue;
            if (obs.time > range.end) break;
        }
        if (&obs.GetRuntimeClass() == &CScanObs::classInfo) {
            ExportScan(static_cast<const CScanObs&>(obs), document);
            // The scan's block ended its own lines; the next value starts a line of its own.
            havePrevious = false;
            continue;
        }
        // An observation without a value (no calibration in force, another probe) is left out
        // rather than written as a 0 that a plot would show as a measurement.
        double z = 0.0;
        if (!obs.GetSurfaceValue(quantity, &document, z)) continue;
        const CDVector4& position =
            definition.positionOf == kSampleAxisSystem ? obs.samplePosition : obs.probePosition;
        const double x = position[xIndex], y = position[yIndex];
        if (!definition.matrix) {
            AppendLf(buffer, x);
            buffer += '\t';
            AppendLf(buffer, y);
            buffer += '\t';
            AppendLf(buffer, z);
            buffer += '\n';
        } else {
            if (havePrevious && std::fabs(y - previousY) >= 0.01) buffer += '\n';
            AppendLf(buffer, z);
            buffer += '\t';
            previousY = y;
            havePrevious = true;
        }
        if (buffer.size() >= (1u << 20)) Flush();
    }
    if (definition.matrix) buffer += '\n';
}

void CSurfaceRun::ExportScan(const CScanObs& scan, const CDataDocument& document) {
    if (!HasScanDocumentOpener()) return;
    const std::string path = ResolveLinkedFile(scan.fileName, document.GetPathName());
    if (path.empty()) {
        Prompt().Message("File " + scan.fileName + " not found - not exporting.",
                         EPromptIcon::Exclamation);
        return;
    }
    if (std::find(scanChain.begin(), scanChain.end(), path) != scanChain.end()) return;
    std::unique_ptr<CDataDocument> scanDocument = OpenScanDocument(path);
    if (!scanDocument) return;
    buffer += "\nFile " + scan.fileName + "\n";
    scanChain.push_back(path);
    ExportDocument(*scanDocument, SExportRange{});
    scanChain.pop_back();
}

}  // namespace

// ---- Definition ----------------------------------------------------------------------------

SSurfaceDefinition SurfaceDefinitionOf(const CDataDocument& document) {
    const uint16_t* w = document.surfaceExport;
    SSurfaceDefinition d;
    if (ComponentIndex(kSurfaceXValueIds, w[0]) >= 0) d.xValue = w[0];
    if (ComponentIndex(kSurfaceYValueIds, w[1]) >= 0) d.yValue = w[1];
    if (w[2] == 0) return d;
    if (IsQuantity(w[2])) d.quantity = w[2];
    d.matrix = (w[3] & kMatrixFlag) != 0;
    d.applyReference = (w[3] & kApplyReferenceFlag) != 0;
    d.sampleNumber = WordOr(w[4], 1, kMaxNumber, d.sampleNumber);
    d.gradFrom = WordOr(w[5], 1, kMaxNumber, d.gradFrom);
    d.gradTo = WordOr(w[6], 1, kMaxNumber, d.gradTo);
    d.repFirst = WordOr(w[7], 1, kMaxNumber, d.repFirst);
    d.repLast = WordOr(w[8], 1, kMaxNumber, d.repLast);
    d.channel = WordOr(w[9], 0, kMaxNumber, d.channel);
    d.probe = WordOr(w[10], 0, kMaxNumber, d.probe);
    if (w[11] == kProbeAxisSystem || w[11] == kSampleAxisSystem) d.positionOf = w[11];
    return d;
}

void StoreSurfaceDefinition(CDataDocument& document, const SSurfaceDefinition& d) {
    uint16_t words[12] = {static_cast<uint16_t>(d.xValue),
                          static_cast<uint16_t>(d.yValue),
                          static_cast<uint16_t>(d.quantity),
                          static_cast<uint16_t>((d.matrix ? kMatrixFlag : 0) |
                                                (d.applyReference ? kApplyReferenceFlag : 0)),
                          static_cast<uint16_t>(d.sampleNumber),
                          static_cast<uint16_t>(d.gradFrom),
                          static_cast<uint16_t>(d.gradTo),
                          static_cast<uint16_t>(d.repFirst),
                          static_cast<uint16_t>(d.repLast),
                          static_cast<uint16_t>(d.channel),
                          static_cast<uint16_t>(d.probe),
                          static_cast<uint16_t>(d.positionOf)};
    if (std::equal(std::begin(words), std::end(words), document.surfaceExport)) return;
    std::copy(std::begin(words), std::end(words), document.surfaceExport);
    document.SetModifiedFlag(true);
}

std::vector<std::string> SurfaceProbeNames(const CDataDocument& document) {
    std::vector<std::string> names;
    for (const auto& obs : document.Observations()) {
        if (&obs->GetRuntimeClass() != &CIonObs::classInfo) continue;
        const std::string& name = static_cast<const CIonObs&>(*obs).name;
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    return names;
}

SSurfaceQuantity SurfaceQuantityOf(const SSurfaceDefinition& d, const std::string& probeName) {
    SSurfaceQuantity q;
    q.code = d.quantity;
    q.probeName = probeName;
    q.query.sampleNumber = d.sampleNumber;
    q.query.gradSample1 = d.gradFrom;
    q.query.gradSample2 = d.gradTo;
    q.query.repFirst = d.repFirst;
    q.query.repLast = d.repLast;
    q.query.subtractReference = d.applyReference;
    q.query.rawADChannel = d.channel;
    return q;
}

bool WriteSurfaceExport(const CDataDocument& document, const SSurfaceDefinition& definition,
                        const SExportRange& range, IExportSink& sink) {
    const std::vector<std::string> names = SurfaceProbeNames(document);
    const std::string probe =
        definition.probe >= 0 && definition.probe < static_cast<int>(names.size())
            ? names[static_cast<size_t>(definition.probe)]
            : std::string();
    const SSurfaceQuantity quantity = SurfaceQuantityOf(definition, probe);
    CSurfaceRun run(definition, quantity, sink);
    run.ExportDocument(document, range);
    return run.Finish();
}

// ---- The dialog's working values ------------------------------------------------------------

CSurfaceExportLogic::CSurfaceExportLogic(const CDataDocument& document,
                                         const std::string& proposedPath)
    : definition(SurfaceDefinitionOf(document)),
      range(ViewRangeOf(document)),
      outputPath(proposedPath),
      loadInto(Profile().GetProfileInt(kOpenWithSection, "Load Surface Export", 0) != 0),
      loadCommand(Profile().GetProfileString(kOpenWithSection, "Surface Export", "")),
      probeNames(SurfaceProbeNames(document)),
      document(document) {
    sampleText = std::to_string(definition.sampleNumber);
    fromText = std::to_string(definition.gradFrom);
    toText = std::to_string(definition.gradTo);
    repFirstText = std::to_string(definition.repFirst);
    repLastText = std::to_string(definition.repLast);
    channelText = std::to_string(definition.channel);
}

std::string CSurfaceExportLogic::RangeText() const {
    return ::RangeText(document, range);
}

bool CSurfaceExportLogic::TimeRange() {
    return ChooseExportRange(document, range);
}

std::string CSurfaceExportLogic::ChosenProbe() const {
    return definition.probe >= 0 && definition.probe < static_cast<int>(probeNames.size())
               ? probeNames[static_cast<size_t>(definition.probe)]
               : std::string();
}

void CSurfaceExportLogic::ShowLast(const std::function<bool(const CVelmObs&)>& wanted,
                                   const char* none) const {
    const auto& list = document.Observations();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (!wanted(**it)) continue;
        std::string text;
        (*it)->Describe(text, &document, DetailFlags::kAll | DetailFlags::kCalculations);
        Prompt().Message(text, EPromptIcon::Information, kCaption);
        return;
    }
    Prompt().Message(none, EPromptIcon::Information, kCaption);
}

void CSurfaceExportLogic::ShowCalibration(ETechnique technique) const {
    const std::string probe = ChosenProbe();
    if (technique == ETechnique::Gradient) {
        ShowLast(
            [&](const CVelmObs& o) {
                auto* c = dynamic_cast<const CIonCalibration*>(&o);
                return c && (probe.empty() || c->name == probe);
            },
            "This document holds no ISP/PVP calibration.");
    } else {
        ShowLast([](const CVelmObs& o) { return dynamic_cast<const CWireCalibration*>(&o); },
                 "This document holds no CDP calibration.");
    }
}

void CSurfaceExportLogic::ShowReference(ETechnique technique) const {
    const std::string probe = ChosenProbe();
    if (technique == ETechnique::Gradient) {
        ShowLast(
            [&](const CVelmObs& o) {
                auto* r = dynamic_cast<const CIonReference*>(&o);
                return r && (probe.empty() || r->name == probe);
            },
            "This document holds no ISP/PVP reference.");
    } else {
        ShowLast([](const CVelmObs& o) { return dynamic_cast<const CWireReference*>(&o); },
                 "This document holds no CDP reference.");
    }
}

void CSurfaceExportLogic::ViewRules(ETechnique technique) const {
    const std::string probe = ChosenProbe();
    if (technique == ETechnique::Gradient) {
        ShowLast(
            [&](const CVelmObs& o) {
                auto* r = dynamic_cast<const CSampRulesIon*>(&o);
                return r && (probe.empty() || r->name == probe);
            },
            "This document holds no ISP/PVP sampling rules.");
    } else if (technique == ETechnique::RawAD) {
        ShowLast([](const CVelmObs& o) { return dynamic_cast<const CSampRulesRawAD*>(&o); },
                 "This document holds no raw A/D sampling rules.");
    } else {
        ShowLast([](const CVelmObs& o) { return dynamic_cast<const CSampRulesWire*>(&o); },
                 "This document holds no CDP sampling rules.");
    }
}

bool CSurfaceExportLogic::Ok() {
    auto refuse = [](const std::string& text) {
        Prompt().Message(text, EPromptIcon::Exclamation, kCaption);
        return false;
    };
    if (outputPath.find_first_not_of(" \t") == std::string::npos)
        return refuse("Enter the name of the file to export to.");
    if (loadInto && loadCommand.find_first_not_of(" \t") == std::string::npos)
        return refuse("Enter the command line of the program to load the export into.");
    SSurfaceDefinition d = definition;
    if (ComponentIndex(kSurfaceXValueIds, d.xValue) < 0) d.xValue = kSurfaceXValueIds[0];
    if (ComponentIndex(kSurfaceYValueIds, d.yValue) < 0) d.yValue = kSurfaceYValueIds[1];
    if (!IsQuantity(d.quantity)) d.quantity = ValueCode::kTotalCurrentDensity;
    const struct {
        const std::string& text;
        const char* name;
        int low;
        int& value;
    } fields[] = {{sampleText, "Sample #", 1, d.sampleNumber},
                  {fromText, "from", 1, d.gradFrom},
                  {toText, "to", 1, d.gradTo},
                  {repFirstText, "Average repetition #", 1, d.repFirst},
                  {repLastText, "to", 1, d.repLast},
                  {channelText, "Channel #", 0, d.channel}};
    for (const auto& f : fields) {
        if (!ParseWhole(f.text, f.low, kMaxNumber, f.value))
            return refuse(StrPrintf("\"%s\" must be a whole number from %d to %d.", f.name, f.low,
                                    kMaxNumber));
    }
    if (d.repFirst > d.repLast)
        return refuse("The first repetition to average must not come after the last.");
    definition = d;
    return true;
}

void SetSurfaceExportDialog(SurfaceExportDialogHook hook) {
    DialogHook() = std::move(hook);
}

bool SurfaceExportCommand(CDataDocument& document) {
    CSurfaceExportLogic logic(document, ProposedExportPath());
    if (!DialogHook() || !DialogHook()(logic)) return false;

    const std::string& path = logic.outputPath;
    if (!ConfirmExportPath(path)) return false;
    AdvanceExportFileNumber();
    CExportFile file;
    if (!file.Open(path)) {
        Prompt().Message(StrPrintf("Unable to open file %s for surface export.", path.c_str()),
                         EPromptIcon::Exclamation);
        return false;
    }
    if (!WriteSurfaceExport(document, logic.definition, logic.range, file) || !file.Commit()) {
        Prompt().Message(StrPrintf("Unable to write file %s for surface export.\n%s", path.c_str(),
                                   file.ErrorText().c_str()),
                         EPromptIcon::Exclamation);
        return false;
    }
    StoreSurfaceDefinition(document, logic.definition);
    Profile().WriteProfileInt(kOpenWithSection, "Load Surface Export", logic.loadInto ? 1 : 0);
    Profile().WriteProfileString(kOpenWithSection, "Surface Export", logic.loadCommand);
    document.AddLogEntry(StrPrintf("Export to file %s complete.", path.c_str()));
    if (logic.loadInto) {
        const SStartResult started = StartProgram(logic.loadCommand, {path});
        if (!started.ok)
            Prompt().Message("Command '" + logic.loadCommand + "' failed.\n" + started.reason,
                             EPromptIcon::Exclamation);
    }
    return true;
}
