#include "scan/GridScanEngine.h"

#include <array>
#include <filesystem>
#include <new>
#include <system_error>

#include "hw/AdBoard.h"
#include "hw/Bmp.h"
#include "hw/Devices.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "obs/DibObs.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesIon.h"
#include "obs/TransferFolder.h"
#include "obs/WireObs.h"
#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "scan/GridScanSet.h"
#include "scan/ScanDoc.h"
#include "scan/ScanJournal.h"
#include "scan/ScanPoints.h"
#include "settings/RootDirectory.h"
#include "tech/Acquisition.h"
#include "tech/IonAcquisition.h"
#include "tech/Station.h"

namespace {

constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

void Tell(const std::string& text) {
    Prompt().Message(text, EPromptIcon::Exclamation);
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

template <class T>
std::unique_ptr<T> Make(const char* outOfMemory) {
    try {
        return std::make_unique<T>();
    } catch (const std::bad_alloc&) {
        Tell(outOfMemory);
        return nullptr;
    }
}

}  // namespace

struct CGridScanEngine::SRun {
    int n = 0;
    int64_t seconds = 0;  // wall second at the start (names the files)
    std::unique_ptr<CScanJournal> journal;
    int64_t total = 0;
    int64_t pointsDone = 0;
    std::unique_ptr<CScanPoints> points;
    std::array<int, 4> loop{};
    CDVector4 target;
};

CGridScanEngine::CGridScanEngine(CScanDoc& doc, CStation& station) : doc(doc), station(station) {}
CGridScanEngine::~CGridScanEngine() = default;

std::string CGridScanEngine::DatePrefix(int64_t seconds) {
    const std::tm t = CClock::LocalTime(seconds);
    return StrPrintf("%s%s%02d", kWeekdays[(t.tm_wday % 7 + 7) % 7],
                     kMonths[(t.tm_mon % 12 + 12) % 12], t.tm_mday);
}

std::string CGridScanEngine::ScanFilePath(const CScanDoc& doc, int n, int64_t seconds) {
    return JoinPath(JoinPath(doc.rootDir, doc.groupDir),
                    DatePrefix(seconds) + StrPrintf("Scan%04d.scn", n));
}

std::string CGridScanEngine::ImagePath(const CScanDoc& doc, int n, int64_t seconds, bool before) {
    return JoinPath(
        JoinPath(doc.rootDir, doc.groupDir),
        DatePrefix(seconds) + StrPrintf(before ? "ScnBefImg%04d.bmp" : "ScnAftImg%04d.bmp", n));
}

void CGridScanEngine::Say(const std::string& text) {
    if (status && doc.showStatus) status->Message(text);
}

bool CGridScanEngine::Add(SRun& run, std::unique_ptr<CVelmObs> obs, bool countForAutoSave) {
    const CVelmObs& added = *obs;
    doc.AddObs(std::move(obs), countForAutoSave);
    if (status && doc.showStatus) status->Observation(added, doc);
    std::string message;
    if (run.journal && !run.journal->Append(added, static_cast<int>(run.pointsDone), message)) {
        Tell(message);
        return false;
    }
    return true;
}

bool CGridScanEngine::MoveStage(bool probe, const CDVector4& target) {
    CDevices* devices = station.Devices();
    if (!devices) return true;
    CMsWcmc& stage = probe ? devices->ProbeSystem() : devices->SampleSystem();
    if (!stage.HasBoard()) return true;
    if (doc.alongAxes) {
        // One axis at a time, in the order the grid runs, each only when it has to move.
        const bool wFirst = doc.firstAxis == kFirstAxisW;
        for (int i = 0; i < 4; ++i) {
            const int axis = wFirst ? 3 - i : i;
            CDVector4 step = stage.Position();
            if (step[axis] == target[axis]) continue;
            step[axis] = target[axis];
            if (stage.MoveAbsolute(step, doc.moveType) == CMsWcmc::kMoveFailed) return false;
        }
    } else if (stage.MoveAbsolute(target, doc.moveType) == CMsWcmc::kMoveFailed) {
        return false;
    }
    if (status && doc.showStatus && probe == (doc.scanTool == kScanToolProbe))
        status->Position(stage.Position());
    return true;
}

bool CGridScanEngine::MoveTool(const CDVector4& target) {
    return MoveStage(doc.scanTool != kScanToolSample, target);
}

bool CGridScanEngine::UserAborts() {
    if (escapePressed && escapePressed() &&
        Prompt().Ask(kTerminateQuestion, EPromptButtons::OkCancel) == EPromptAnswer::Ok)
        return true;
    return transfer && transfer->TakeAbortCommand();
}

bool CGridScanEngine::Image(SRun& run, bool before) {
    const std::string path = ImagePath(doc, run.n, run.seconds, before);
    Say(StrPrintf(before ? "Acquiring 'Before' image to file %s ..."
                         : "Acquiring 'After' image to file %s ...",
                  path.c_str()));
    auto dib = Make<CDibObs>("Insufficient Memory for DIB Observation");
    if (!dib) return false;
    dib->StampNow();
    dib->StampPositions();
    CDevices* devices = station.Devices();
    CBitmapImage image;
    if (!devices || !devices->FgBoard().GrabBitmap(image)) {
        Tell("Image Grab Failed");
        return false;
    }
    std::string error;
    if (!WriteBmpFile(path, image, &error)) {
        Tell("Image Grab Failed\n" + error);
        return false;
    }
    dib->fileName = path;
    return Add(run, std::move(dib));
}

bool CGridScanEngine::References(SRun& run, bool before) {
    const bool wire = before ? doc.refBeforeWire : doc.refAfterWire;
    const bool gradient = before ? doc.refBeforeGradient : doc.refAfterGradient;
    const bool bath = before ? doc.refBeforeBath : doc.refAfterBath;
    if (!wire && !gradient && !bath) return true;
    Say(before ? "Moving to 'Before' reference position ..."
               : "Moving to 'After' reference position ...");
    if (!MoveTool(doc.origin + doc.reference)) return false;
    CDevices* devices = station.Devices();
    if (wire) {
        Say(before ? "Acquiring CDP 'Before' reference observation ..."
                   : "Acquiring CDP 'After' reference observation ...");
        auto ref = Make<CWireReference>("Insufficient Memory for CDP Reference Observation");
        if (!ref || !devices ||
            !AcquireWireReference(&doc.wireRules, *ref, devices->AdBoard(),
                                  station.wireReference.reading))
            return false;
        if (!Add(run, std::move(ref))) return false;
    }
    for (const auto& rules : doc.ionRules) {
        if (!devices) return false;
        const char* name = rules->name.c_str();
        if (bath) {
            Say(StrPrintf("Updating  %s Gradient bath offset ...", name));
            if (!IonBathUpdate(*rules, devices->AdBoard())) return false;
        }
        if (gradient) {
            Say(StrPrintf(before ? "Acquiring %s Gradient 'Before' reference observation ..."
                                 : "Acquiring %s Gradient 'After' reference observation ...",
                          name));
            auto ref =
                Make<CIonReference>("Insufficient Memory for Gradient Reference Observation");
            if (!ref || !AcquireIonReference(rules.get(), *ref, station.WalkPlace(rules->name)))
                return false;
            // Later points of this probe are taken against this reference.
            auto kept =
                std::unique_ptr<CIonReference>(static_cast<CIonReference*>(ref->Clone().release()));
            station.Ion().ReplaceReference(rules->name, std::move(kept));
            if (!Add(run, std::move(ref))) return false;
        }
    }
    return true;
}

bool CGridScanEngine::Point(SRun& run) {
    CDevices* devices = station.Devices();
    if (doc.storeWire) {
        Say("Acquiring CDP observation ...");
        auto obs = Make<CWireObs>("Insufficient Memory for CDP Observation");
        if (!obs || !devices ||
            !AcquireWirePoint(&doc.wireRules, *obs, devices->AdBoard(),
                              station.wireReference.reading))
            return false;
        if (!Add(run, std::move(obs))) return false;
    }
    if (doc.storeGradient) {
        for (const auto& rules : doc.ionRules) {
            Say(StrPrintf("Acquiring %s Gradient observation ...", rules->name.c_str()));
            auto obs = Make<CIonObs>("Insufficient Memory for Gradient Observation");
            if (!obs || !devices ||
                !AcquireIonPoint(rules.get(), *obs, station.WalkPlace(rules->name),
                                 station.Ion().Reference(rules->name)))
                return false;
            if (!Add(run, std::move(obs))) return false;
        }
    }
    if (doc.storeRawAD) {
        Say("Acquiring Raw A/D observation ...");
        if (!devices) return false;
        CObsList taken = TakeRawADObservations(doc.rawADRules, devices->AdBoard());
        if (taken.empty()) return false;
        for (size_t k = 0; k < taken.size(); ++k)
            if (!Add(run, std::move(taken[k]), k + 1 == taken.size())) return false;
    }
    return true;
}

bool CGridScanEngine::Begin(SRun& run, int n) {
    run.n = n;
    run.seconds = Clock().Now().seconds;
    doc.startTime = run.seconds;
    const std::string path = ScanFilePath(doc, n, run.seconds);
    if (FileExists(path) && Prompt().Ask(StrPrintf(kOverwrite, path.c_str()),
                                         EPromptButtons::OkCancel) != EPromptAnswer::Ok)
        return false;
    doc.scanFile = path;
    // From here on every save of this document, automatic ones included, goes to this scan's
    // own file (never over the previous scan's), read-only as the finished file will be.
    doc.SetPathName(path);
    CScanDoc* scan = &doc;
    doc.SetAutoSaveHook([scan](CDataDocument&) {
        scan->readOnly = true;
        std::string message;
        const bool ok = scan->SaveFile(scan->scanFile, message);
        scan->readOnly = false;
        if (!ok) Tell(message);
        return ok;
    });
    NormaliseLinePoints(doc);
    run.points = std::make_unique<CScanPoints>(doc);
    run.total = run.points->Count();
    run.journal = std::make_unique<CScanJournal>();
    std::string message;
    if (!run.journal->Begin(doc, obsDocPath, n, static_cast<int>(run.total), message)) {
        Tell(message);
        return false;
    }
    return true;
}

SScanOutcome CGridScanEngine::AcquireScan(int n) {
    SScanOutcome outcome;
    if (doc.readOnly) {
        Prompt().Message(kReadOnly, EPromptIcon::Stop);
        return outcome;
    }
    CAcquisitionScope scope;
    SRun run;
    if (!Begin(run, n)) return outcome;
    if (status && doc.showStatus) status->Open("Grid Scan File " + doc.scanFile);

    outcome.end = EScanEnd::EndedEarly;
    bool ok = true;
    if (doc.imageBefore || doc.imageAfter) {
        std::string line;
        doc.opticalSystem.Describe(line);
        CVelmObs* entry = doc.AddLogEntry(line);
        if (run.journal && entry) {
            std::string message;
            if (!run.journal->Append(*entry, 0, message)) {
                Tell(message);
                ok = false;
            }
        }
    }
    // Copies of what the observations are taken with, so the file explains itself.
    const bool anyWire = doc.storeWire || doc.refBeforeWire || doc.refAfterWire;
    const bool anyGradient = doc.storeGradient || doc.refBeforeGradient || doc.refAfterGradient ||
                             doc.refBeforeBath || doc.refAfterBath;
    auto addCopy = [&](const CVelmObs& source) {
        std::unique_ptr<CVelmObs> copy = source.Clone();
        copy->StampNow();
        copy->StampPositions();
        return Add(run, std::move(copy), false);
    };
    if (ok && anyWire) ok = addCopy(doc.wireCal) && addCopy(doc.wireRules);
    if (ok && anyGradient) {
        for (size_t i = 0; ok && i < doc.ionRules.size(); ++i) {
            ok = addCopy(*doc.ionRules[i]);
            if (ok && i < doc.ionCals.size()) ok = addCopy(*doc.ionCals[i]);
        }
    }
    if (ok && doc.storeRawAD) ok = addCopy(doc.rawADRules);
    if (ok && doc.imageBefore) ok = Image(run, true);
    if (ok) ok = References(run, true);

    const char* tool = doc.scanTool == kScanToolSample ? "sample" : "probe";
    bool aborted = false;
    for (int64_t j = 0; ok && j < run.total; ++j) {
        if (UserAborts()) {
            aborted = true;
            break;
        }
        run.loop = run.points->LoopIndices(j);
        if (status && doc.showStatus) status->PointsRemaining(run.total - j);
        if (run.points->IsGrid())
            Say(StrPrintf("Moving %s to position ( %d, %d, %d, %d ) ...", tool, run.loop[0],
                          run.loop[1], run.loop[2], run.loop[3]));
        else
            Say(StrPrintf("Moving %s to position %d ...", tool, run.loop[0]));
        ok = MoveTool(run.points->Target(j)) && Point(run);
        if (ok) run.pointsDone = j + 1;
    }
    if (ok && !aborted) {
        ok = References(run, false);
        CDevices* devices = station.Devices();
        const bool probeTool = doc.scanTool != kScanToolSample;
        if (ok && doc.homeProbe && devices && devices->ProbeSystem().HasBoard()) {
            Say("Moving probe to Home position ...");
            ok = MoveStage(true, probeTool ? doc.origin + doc.probeHome : doc.probeHome);
        }
        if (ok && doc.homeSample && devices && devices->SampleSystem().HasBoard()) {
            Say("Moving sample to Home position ...");
            ok = MoveStage(false, probeTool ? doc.sampleHome : doc.origin + doc.sampleHome);
        }
        if (ok && doc.imageAfter) ok = Image(run, false);
    }
    outcome.end = aborted ? EScanEnd::Aborted : ok ? EScanEnd::Completed : EScanEnd::EndedEarly;
    Finish(run, outcome);
    return outcome;
}

void CGridScanEngine::Finish(SRun& run, SScanOutcome& outcome) {
    doc.viewMode = kViewAll;
    doc.readOnly = true;
    doc.SetModifiedFlag(true);
    std::string message;
    outcome.saved = doc.SaveFile(doc.scanFile, message);
    doc.readOnly = false;
    if (outcome.saved) {
        doc.SetModifiedFlag(false);
        doc.lastScan = run.n;
        // The file holds everything: the journal is no longer needed. A failed save keeps it,
        // so what was taken can still be recovered.
        if (run.journal) run.journal->Finish();
    } else {
        Tell(message.empty() ? "Unable to save scan file " + doc.scanFile : message);
    }
    doc.UpdateAllViews();
    if (status && doc.showStatus) status->Close();
}
