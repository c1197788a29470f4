#include "app/ObsDocCommands.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>

#include "app/MainFrame.h"
#include "app/ObsDocCommandParts.h"
#include "app/ObsDocDialogs.h"
#include "hw/Bmp.h"
#include "hw/FgBoard.h"
#include "obs/DibObs.h"
#include "obs/InterestPointObs.h"
#include "obs/IonObs.h"
#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/ObsDocSettings.h"
#include "obs/OpticalSystem.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "platform/Format.h"
#include "platform/RunProgram.h"
#include "platform/Services.h"
#include "settings/FileNumbering.h"
#include "settings/Profile.h"
#include "settings/RootDirectory.h"
#include "tech/Acquisition.h"
#include "tech/Station.h"
#include "tech/TechDialogs.h"
#include "tech/WireCalibrationSession.h"

using obsdoc::Make;
using obsdoc::StampedCopy;

namespace {

// A new calibration from velm.ini, or null after "Insufficient Memory for CDP Calibration".
std::unique_ptr<CWireCalibration> CalibrationFromSettings() {
    try {
        return CWireCalibration::NewFromSettings();
    } catch (const std::bad_alloc&) {
        Prompt().Message("Insufficient Memory for CDP Calibration", EPromptIcon::Exclamation);
        return nullptr;
    }
}

template <class T>
const T* LatestOf(const std::vector<const CVelmObs*>& list) {
    return list.empty() ? nullptr : static_cast<const T*>(list.back());
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

CObsDocCommands::CObsDocCommands(CObsDoc& doc, CMainFrame& frame)
    : doc(doc), frame(frame), station(frame.Station()) {}

CObsDocCommands::~CObsDocCommands() = default;

void CObsDocCommands::Add(std::unique_ptr<CVelmObs> obs, bool countForAutoSave) {
    lastAdded.push_back(obs.get());
    doc.AddObs(std::move(obs), countForAutoSave);
}

void CObsDocCommands::AddTaken(CObsList taken) {
    for (size_t i = 0; i < taken.size(); ++i)
        Add(std::move(taken[i]), i + 1 == taken.size());
}

// ---- Technique menu --------------------------------------------------------------------------

void CObsDocCommands::ChooseTechnique(int technique) {
    station.SetMeasurementType(technique);
}

void CObsDocCommands::ChooseProbe(const std::string& name) {
    station.SelectProbe(name);
    station.SetMeasurementType(kTechniqueGradient);
}

bool CObsDocCommands::IsTechniqueChecked(int technique) const {
    return station.measurementType == technique;
}

bool CObsDocCommands::IsProbeChecked(const std::string& name) const {
    return station.measurementType == kTechniqueGradient && station.selectedProbe == name;
}

const std::vector<std::string>& CObsDocCommands::ProbeNames() const {
    return station.probeNames;
}

std::string CObsDocCommands::TechniqueMenuTitle() const {
    return ::TechniqueMenuTitle(station.measurementType, station.selectedProbe);
}

bool CObsDocCommands::CanEditSampling() const {
    return station.measurementType == kTechniqueCdp || station.measurementType == kTechniqueRawAD ||
           station.measurementType == kTechniqueGradient;
}

bool CObsDocCommands::EditSampling() {
    // The rules changed here are appended to a document before its next measurement, because
    // they then differ from the ones the document holds.
    if (station.measurementType == kTechniqueCdp) {
        if (!station.wireRules)
            station.wireRules = Make<CSampRulesWire>("Insufficient Memory for CDP Sampling setup");
        return station.wireRules && EditWireRules(*station.wireRules, kPointRulesKey);
    }
    if (station.measurementType == kTechniqueRawAD) {
        if (!station.rawADRules)
            station.rawADRules =
                Make<CSampRulesRawAD>("Insufficient Memory for Raw A/D Sampling setup");
        return station.rawADRules && EditRawADRules(*station.rawADRules, "Point ");
    }
    if (station.measurementType == kTechniqueGradient) return EditIonSampling();
    return false;
}

bool CObsDocCommands::SetResistivity() {
    lastAdded.clear();
    // The new calibration is the station's current one with another resistivity: there is
    // nothing to change before the probe has been calibrated.
    if (!station.wireCalibration) {
        Prompt().Message("Define CDP sampling rules and calibration first",
                         EPromptIcon::Exclamation);
        return false;
    }
    CResistivityLogic logic(station.resistivity);
    if (!TechDialogs().SetResistivity(logic)) return false;
    std::unique_ptr<CWireCalibration> calibration;
    try {
        calibration = std::make_unique<CWireCalibration>();
    } catch (const std::bad_alloc&) {
        Prompt().Message("Insufficient Memory for CDP Calibration", EPromptIcon::Exclamation);
        return false;
    }
    calibration->CopyCalibrationFrom(*station.wireCalibration);
    calibration->Resistivity = logic.value;
    calibration->SaveSettings();
    calibration->StampNow();
    calibration->StampPositions();
    calibration->document = &doc;
    // The station goes on with exactly the calibration the document now holds.
    station.UseWireCalibration(*calibration);
    Add(std::move(calibration));
    doc.storedWireCal = 1;
    return true;
}

bool CObsDocCommands::CanCalibrate() const {
    return station.measurementType == kTechniqueCdp ||
           station.measurementType == kTechniqueGradient;
}

bool CObsDocCommands::Calibrate() {
    lastAdded.clear();
    if (station.measurementType == kTechniqueCdp) return CalibrateWire();
    if (station.measurementType == kTechniqueGradient) return IonCalibrate();
    return false;
}

bool CObsDocCommands::CalibrateWire() {
    lastAdded.clear();
    if (!ConfirmCalibrationOpticalSystem(station)) return false;
    std::unique_ptr<CWireCalibration> calibration = CalibrationFromSettings();
    if (!calibration) return false;
    calibration->document = &doc;
    CWireCalibrationSession session(frame.Devices(), station, *calibration);
    CMainFrame* f = &frame;
    session.startJog = [f](EStage stage, bool withMouse) { f->StartJog(stage, withMouse); };
    session.endJog = [f](EStage stage) { f->EndJog(stage); };
    session.stageChanged = [f](EStage stage, bool redeclared) {
        f->StageChangedOutside(stage, redeclared);
    };
    CStation* s = &station;
    session.imageToStage =
        imageToStage ? imageToStage : [f, s](SPixel pixel, const CDVector4& shown) {
            return s->opticalSystem.ImageToStage(pixel, CameraViewOf(f->FgBoard()), shown)
                .value_or(shown);
        };
    if (!::CalibrateWire(*calibration, session)) return false;
    Add(std::move(calibration));
    doc.storedWireCal = 1;
    return true;
}

// ---- Rules and calibration in the document ----------------------------------------------------

bool CObsDocCommands::PrepareWireSetup(SPendingSetup& pending) {
    if (!station.wireRules || !station.wireCalibration) return false;
    const CObsRegister& reg = doc.Register();
    const auto* heldRules = LatestOf<CSampRulesWire>(reg.WireRules());
    if (!doc.storedWireRules || !heldRules || !heldRules->SameRules(*station.wireRules)) {
        auto copy = StampedCopy(*station.wireRules, "Insufficient Memory for CDP Sampling setup");
        if (!copy) return false;
        pending.copies.push_back(std::move(copy));
        pending.wireRules = true;
    }
    const auto* heldCal = LatestOf<CWireCalibration>(reg.WireCalibrations());
    if (!doc.storedWireCal || !heldCal || !heldCal->SameValues(*station.wireCalibration)) {
        auto copy =
            StampedCopy(*station.wireCalibration, "Insufficient Memory for CDP Calibration setup");
        if (!copy) return false;
        static_cast<CWireCalibration*>(copy.get())->document = &doc;
        pending.copies.push_back(std::move(copy));
        pending.wireCalibration = true;
    }
    return true;
}

bool CObsDocCommands::PrepareRawADSetup(SPendingSetup& pending) {
    if (!station.rawADRules) return false;
    const auto* held = LatestOf<CSampRulesRawAD>(doc.Register().RawADRules());
    if (!doc.storedRawADRules || !held || !held->SameRules(*station.rawADRules)) {
        auto copy =
            StampedCopy(*station.rawADRules, "Insufficient Memory for Raw A/D Sampling setup");
        if (!copy) return false;
        pending.copies.push_back(std::move(copy));
        pending.rawADRules = true;
    }
    return true;
}

void CObsDocCommands::Commit(SPendingSetup& pending) {
    // The copies go in uncounted: the automatic save that their measurement triggers then
    // holds the measurement too.
    for (auto& copy : pending.copies)
        Add(std::move(copy), false);
    pending.copies.clear();
    if (pending.wireRules) doc.storedWireRules = 1;
    if (pending.wireCalibration) doc.storedWireCal = 1;
    if (pending.rawADRules) doc.storedRawADRules = 1;
    if (pending.ionRules) doc.storedIonRules = 1;
    if (pending.ionCalibration) doc.storedIonCal = 1;
}

bool CObsDocCommands::EnsureWireSetup() {
    SPendingSetup pending;
    if (!PrepareWireSetup(pending)) return false;
    Commit(pending);
    return true;
}

bool CObsDocCommands::EnsureRawADSetup() {
    SPendingSetup pending;
    if (!PrepareRawADSetup(pending)) return false;
    Commit(pending);
    return true;
}

// ---- Mode menu -------------------------------------------------------------------------------

bool CObsDocCommands::Point() {
    switch (station.measurementType) {
        case kTechniqueCdp:
            return WirePoint();
        case kTechniqueRawAD:
            return RawADPoint();
        case kTechniqueInterestPoint:
            return InterestPoint();
        case kTechniqueGradient:
            return IonPoint();
        default:
            return false;
    }
}

bool CObsDocCommands::WirePoint() {
    lastAdded.clear();
    SPendingSetup pending;
    if (!PrepareWireSetup(pending)) {
        Prompt().Message("Define CDP sampling rules and calibration first",
                         EPromptIcon::Exclamation);
        return false;
    }
    auto obs = Make<CWireObs>("Insufficient Memory for Wire Point Observation");
    if (!obs) return false;
    if (!AcquireWirePoint(station.wireRules.get(), *obs, frame.AdBoard(),
                          station.wireReference.reading))
        return false;
    Commit(pending);
    Add(std::move(obs));
    return true;
}

bool CObsDocCommands::RawADPoint() {
    lastAdded.clear();
    SPendingSetup pending;
    if (!PrepareRawADSetup(pending)) {
        Prompt().Message("Define Raw A/D sampling rules first", EPromptIcon::Exclamation);
        return false;
    }
    CObsList taken =
        station.TakeRawAD(*station.rawADRules, "Insufficient Memory for RawAD Point Observation");
    if (taken.empty()) return false;
    Commit(pending);
    AddTaken(std::move(taken));
    return true;
}

bool CObsDocCommands::InterestPoint() {
    lastAdded.clear();
    auto obs = Make<CInterestPointObs>("Insufficient Memory for Interest Point Observation");
    if (!obs) return false;
    obs->StampNow();
    obs->StampPositions();
    const std::optional<SPixel> pixel = frame.FgBoard().TryPickOnImage(kInterestPointPrompt);
    if (!pixel) return false;
    obs->probePosition =
        imageToStage ? imageToStage(*pixel, obs->probePosition)
                     : station.opticalSystem
                           .ImageToStage(*pixel, CameraViewOf(frame.FgBoard()), obs->probePosition)
                           .value_or(obs->probePosition);
    Add(std::move(obs));
    return true;
}

bool CObsDocCommands::CanReference() const {
    return station.measurementType == kTechniqueCdp ||
           station.measurementType == kTechniqueGradient;
}

bool CObsDocCommands::Reference() {
    lastAdded.clear();
    if (station.measurementType == kTechniqueGradient) return IonReference();
    if (station.measurementType != kTechniqueCdp) return false;
    SPendingSetup pending;
    if (!PrepareWireSetup(pending)) {
        Prompt().Message("Define sampling rules and calibrate probe first",
                         EPromptIcon::Exclamation);
        return false;
    }
    auto ref = Make<CWireReference>("Insufficient Memory for Wire Reference Observation");
    if (!ref) return false;
    const CDVector4 previous = station.wireReference.reading;
    if (!AcquireWireReference(station.wireRules.get(), *ref, frame.AdBoard(),
                              station.wireReference.reading))
        return false;
    // The description shows the reference through the calibration the document now holds.
    Commit(pending);
    std::string text;
    ref->Describe(text, &doc, DetailFlags::kType | DetailFlags::kInformation);
    text += " - keep this reference?";
    if (Prompt().Ask(text, EPromptButtons::OkCancel, EPromptIcon::Question) != EPromptAnswer::Ok) {
        station.wireReference.reading = previous;
        return false;
    }
    Add(std::move(ref));
    // The next run (and velm-tool) subtract the same reference.
    station.SaveWireReference();
    return true;
}

// ---- Edit, video, file -------------------------------------------------------------------------

bool CObsDocCommands::LogEntry() {
    CLogEntryLogic logic;
    if (!ObsDocDialogs().EditLogEntry(logic)) return false;
    lastAdded.clear();
    auto entry = Make<CLogEntry>("Insufficient Memory for Log Entry");
    if (!entry) return false;
    entry->SetTime(logic.logTime.seconds, logic.logTime.milliseconds);
    entry->StampPositions();
    entry->text = logic.text;
    Add(std::move(entry));
    return true;
}

bool CObsDocCommands::GrabImageToFile() {
    lastAdded.clear();
    const std::string root = GetRootDirectory();
    if (!IsDirectory(root)) {
        Prompt().Message(StrPrintf("Error moving to root directory %s - aborting", root.c_str()),
                         EPromptIcon::Exclamation);
        return false;
    }
    const std::string folder = JoinPath(root, "images");
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!IsDirectory(folder)) {
        Prompt().Message(
            "Image Grab Failed\nThe folder " + folder + " cannot be created: " + ec.message() + ".",
            EPromptIcon::Exclamation);
        return false;
    }
    auto dib = Make<CDibObs>("Insufficient Memory for BMP Observation");
    if (!dib) return false;
    dib->StampNow();
    dib->StampPositions();
    CBitmapImage image;
    if (!frame.FgBoard().GrabBitmap(image)) {
        Prompt().Message("Image Grab Failed", EPromptIcon::Exclamation);
        return false;
    }
    // An image already under the counter's number (after a counter reset, say) is kept: the
    // counter moves on to the first free number.
    const std::string prefix = GetImagePrefix();
    int number = GetNextImageNumber();
    std::string path = JoinPath(folder, prefix + StrPrintf("%03d.bmp", number));
    while (PathExists(path)) {
        AdvanceImageNumber();
        const int next = GetNextImageNumber();
        if (next == number) {
            Prompt().Message("Image Grab Failed\nThere is no free image number in " + folder + ".",
                             EPromptIcon::Exclamation);
            return false;
        }
        number = next;
        path = JoinPath(folder, prefix + StrPrintf("%03d.bmp", number));
    }
    std::string error;
    if (!WriteBmpFile(path, image, &error)) {
        Prompt().Message("Image Grab Failed\n" + error, EPromptIcon::Exclamation);
        return false;
    }
    AdvanceImageNumber();
    dib->fileName = path;
    Add(std::move(dib));
    return true;
}

bool CObsDocCommands::AutoSave() {
    if (!doc.autoSave) {
        CAutoSaveLogic logic(doc.numAutoSaveObs);
        if (!ObsDocDialogs().EditAutoSave(logic)) return false;
        doc.numAutoSaveObs = logic.value;
        doc.autoSave = 1;
        doc.SetModifiedFlag(true);
        SaveDataDocAutoSaveLine(doc, kObsDocSection);
        if (saveDocument)
            saveDocument(doc);
        else if (!doc.GetPathName().empty())
            doc.OnSaveDocument(doc.GetPathName());
        return true;
    }
    if (Prompt().Ask("Turn Auto-Save feature off? ", EPromptButtons::OkCancel,
                     EPromptIcon::Question) != EPromptAnswer::Ok)
        return false;
    doc.autoSave = 0;
    SaveDataDocAutoSaveLine(doc, kObsDocSection);
    return true;
}

bool CObsDocCommands::IsAutoSaveChecked() const {
    return doc.autoSave != 0;
}

// ---- View menu
// -----------------------------------------------------------------------------------

void CObsDocCommands::SetTimeRange(int viewMode) {
    doc.viewMode = viewMode;
    SaveDataDocViewLine(doc, kObsDocSection);
    doc.UpdateAllViews();
}

bool CObsDocCommands::DefineTimeRange() {
    CTimeRangeLogic logic(doc.fixedStart, doc.fixedEnd);
    if (!ObsDocDialogs().DefineTimeRange(logic)) return false;
    doc.fixedStart = logic.start;
    doc.fixedEnd = logic.end;
    SetTimeRange(kViewFixed);
    return true;
}

bool CObsDocCommands::IsTimeRangeChecked(int viewMode) const {
    return doc.viewMode == viewMode;
}

void CObsDocCommands::ToggleDetail(unsigned bit) {
    doc.detailFlags = static_cast<int>(static_cast<unsigned>(doc.detailFlags) ^ bit) & 0xFFFF;
    SaveTextMethod(doc.detailFlags);
    doc.UpdateAllViews();
}

void CObsDocCommands::DetailsAll() {
    doc.detailFlags = static_cast<int>(DetailFlags::kAll);
    SaveTextMethod(doc.detailFlags);
    doc.UpdateAllViews();
}

bool CObsDocCommands::IsDetailChecked(unsigned bit) const {
    return (static_cast<unsigned>(doc.detailFlags) & bit) != 0;
}

bool CObsDocCommands::OpenWith() {
    return EditOpenWith();
}

bool CObsDocCommands::CanClose() const {
    if (scansRunning == 0) return true;
    Prompt().Message("Scan sequence in progress.\n\nTerminate scan sequence first.",
                     EPromptIcon::Exclamation);
    return false;
}

// ---- Reference editors -------------------------------------------------------------------------

bool EditWireReference(CWireReading& obs, CDataDocument* document) {
    CWireReferenceLogic logic(obs.reference);
    if (!ObsDocDialogs().EditWireReference(logic)) return false;
    obs.reference = logic.value;
    if (document) {
        document->SetModifiedFlag(true);
        document->UpdateAllViews();
    }
    return true;
}

bool EditIonReference(CIonReading& reference, CDataDocument* document) {
    CIonReferenceLogic logic(reference);
    if (!ObsDocDialogs().EditIonReference(logic)) return false;
    reference.da0 = logic.da0;
    reference.da1 = logic.da1;
    reference.values = std::move(logic.values);
    if (document) {
        document->SetModifiedFlag(true);
        document->UpdateAllViews();
    }
    return true;
}

// ---- Open With ---------------------------------------------------------------------------------

bool OpenWithStoredCommand(const std::string& between) {
    // The export wrote one blank on each side of the file name; the name itself is handed
    // over whole, as one argument, whatever it holds.
    std::string file = between;
    if (!file.empty() && file.front() == ' ') file.erase(0, 1);
    if (!file.empty() && file.back() == ' ') file.pop_back();
    const std::string command = COpenWithLogic::StoredCommand();
    const SStartResult result = StartProgram(command, {file});
    if (result.ok) return true;
    Prompt().Message("Command '" + command + "' failed.\n" + result.reason,
                     EPromptIcon::Exclamation);
    return false;
}

bool EditOpenWith() {
    COpenWithLogic logic;
    if (!ObsDocDialogs().EditOpenWith(logic)) return false;
    logic.Save();
    return true;
}

bool ConfirmCalibrationOpticalSystem(const CStation& station) {
    return Prompt().Ask(
               StrPrintf("Calibrate with '%s' optical system?", station.opticalSystem.name.c_str()),
               EPromptButtons::OkCancel, EPromptIcon::Question) == EPromptAnswer::Ok;
}

void InstallOpenWithRunner() {
    SetOpenExportedFileHook(OpenWithStoredCommand);
}
