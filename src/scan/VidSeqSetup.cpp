#include "scan/VidSeqSetup.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>

#include "obs/OpticalSystem.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"
#include "scan/VidSeqDoc.h"
#include "settings/FileNumbering.h"
#include "settings/Profile.h"
#include "settings/RootDirectory.h"

namespace {

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

const char* const kAxisNames[4] = {"X", "Y", "Z", "W"};

}  // namespace

CVidSeqSetupLogic::CVidSeqSetupLogic(CVidSeqDoc& doc, const std::string& root)
    : doc(doc), root(root) {
    readOnly = doc.IsReadOnly();
    targetPath =
        doc.seqDir.empty() ? JoinPath(root, "(a new sequence folder)") : JoinPath(root, doc.seqDir);
    waitText = FormatNumberEntry(doc.wait);
    averageText = StrPrintf("%d", doc.average);
    refCountText = StrPrintf("%d", doc.refCount);
    tool = doc.tool;
    moveType = doc.moveType;
    refUse = doc.refUse;
    for (int i = 0; i < 4; ++i) {
        reference[i] = FormatNumberEntry(doc.reference[i]);
        start[i] = FormatNumberEntry(doc.start[i]);
        end[i] = FormatNumberEntry(doc.end[i]);
        steps[i] = StrPrintf("%d", doc.steps[i]);
        probeHome[i] = FormatNumberEntry(doc.probeHome[i]);
        sampleHome[i] = FormatNumberEntry(doc.sampleHome[i]);
    }
    homeProbe = doc.homeProbe != 0;
    homeSample = doc.homeSample != 0;
    opticalSystems = OpticalSystemNames();
    opticalSystem =
        !doc.opticalSystem.name.empty() ? doc.opticalSystem.name : ActiveOpticalSystemName();
    if (opticalSystem.empty() && !opticalSystems.empty()) opticalSystem = opticalSystems.front();
    // With no system kept the station works in the default one (a micron per pixel).
    if (opticalSystem.empty()) opticalSystem = "Default";
    preComment = doc.preComment;
    postComment = doc.postComment;
}

bool CVidSeqSetupLogic::Accept(std::string& error) {
    accepted = false;
    if (readOnly) {
        accepted = true;
        return true;
    }
    std::optional<double> w = ParseNumberEntry(waitText);
    if (!w || *w < 0 || *w > CVidSeqDoc::kMaxWait) {
        error = "Wait: enter a number of seconds from 0 to 3600.";
        return false;
    }
    std::optional<int64_t> avg = ParseDigitsEntry(averageText, 1, CVidSeqDoc::kMaxAverage);
    std::optional<int64_t> ref = ParseDigitsEntry(refCountText, 1, CVidSeqDoc::kMaxAverage);
    if (!avg || !ref) {
        error = "Frames averaged: enter a count from 1 to 256.";
        return false;
    }
    const std::string* texts[5] = {reference, start, end, probeHome, sampleHome};
    const char* names[5] = {"Reference Location", "Start", "End", "Probe Home", "Sample Home"};
    double values[5][4] = {};
    for (int v = 0; v < 5; ++v) {
        for (int i = 0; i < 4; ++i) {
            std::optional<double> number = ParseNumberEntry(texts[v][i]);
            if (!number) {
                error = StrPrintf("%s %s: enter a number of microns.", names[v], kAxisNames[i]);
                return false;
            }
            values[v][i] = *number;
        }
    }
    int counts[4] = {};
    int64_t frames = 1;
    for (int i = 0; i < 4; ++i) {
        std::optional<int64_t> n = ParseDigitsEntry(steps[i], 1, CVidSeqDoc::kMaxSteps);
        if (!n) {
            error = StrPrintf("Steps %s: enter a count from 1 to 1000.", kAxisNames[i]);
            return false;
        }
        counts[i] = static_cast<int>(*n);
        frames *= *n;
    }
    if (frames > CVidSeqDoc::kMaxFrames) {
        error = StrPrintf(
            "These steps make %lld frames; a sequence holds at most 10000. Take fewer steps.",
            static_cast<long long>(frames));
        return false;
    }
    if (frames > CVidSeqDoc::kAskFrames &&
        Prompt().Ask(StrPrintf("These steps make %lld frames. Acquire them all?",
                               static_cast<long long>(frames)),
                     EPromptButtons::OkCancel, EPromptIcon::Question,
                     kTitle) != EPromptAnswer::Ok) {
        error.clear();
        return false;
    }
    wait = *w;
    average = static_cast<int>(*avg);
    refCount = static_cast<int>(*ref);
    for (int v = 0; v < 5; ++v)
        for (int i = 0; i < 4; ++i)
            vectors[v][i] = values[v][i];
    for (int i = 0; i < 4; ++i)
        stepCounts[i] = counts[i];
    accepted = true;
    return true;
}

bool CVidSeqSetupLogic::Apply() {
    if (!accepted) return false;
    if (readOnly) {
        Prompt().Message(kReadOnlyNote, EPromptIcon::Information);
        if (doc.postComment != postComment) {
            doc.postComment = postComment;
            doc.SetModifiedFlag(true);
        }
        return true;
    }
    doc.wait = wait;
    doc.average = average;
    doc.refCount = refCount;
    doc.tool = tool == 'P' ? 'P' : 'S';
    doc.moveType = moveType == 1049 ? 1049 : 1048;
    doc.refUse = (refUse == 'B' || refUse == 'R') ? refUse : 'I';
    CDVector4* targets[5] = {&doc.reference, &doc.start, &doc.end, &doc.probeHome, &doc.sampleHome};
    for (int v = 0; v < 5; ++v)
        *targets[v] = CDVector4(vectors[v]);
    doc.steps = CIVector4(stepCounts[0], stepCounts[1], stepCounts[2], stepCounts[3]);
    doc.homeProbe = homeProbe;
    doc.homeSample = homeSample;
    // A system that cannot be read keeps the values the sequence had, under the chosen name.
    if (!doc.opticalSystem.Load(opticalSystem)) doc.opticalSystem.name = opticalSystem;
    doc.preComment = preComment;
    doc.postComment = postComment;
    doc.SetModifiedFlag(true);
    doc.SaveSettings();
    return MakeFolder();
}

bool CVidSeqSetupLogic::MakeFolder() {
    const std::tm today = CClock::LocalTime(Clock().Now().seconds);
    doc.month = today.tm_mon + 1;
    doc.day = today.tm_mday;
    doc.seqNumber = GetNextVideoSequenceNumber();
    // The folder is named from here, never from the process's working directory.
    if (!IsDirectory(root)) {
        Prompt().Message(StrPrintf("Error moving to root directory %s - aborting", root.c_str()),
                         EPromptIcon::Exclamation);
        return false;
    }
    std::set<int> tried;
    // Anything of that name counts, a file or a dangling link as much as a folder.
    std::error_code ec;
    while (std::filesystem::exists(
        std::filesystem::symlink_status(JoinPath(root, doc.FolderName()), ec))) {
        tried.insert(doc.seqNumber);
        const EPromptAnswer answer = Prompt().Ask(
            StrPrintf("Target directory %s in directory %s already exists - overwrite images?",
                      doc.FolderName().c_str(), root.c_str()),
            EPromptButtons::YesNoCancel, EPromptIcon::Question);
        if (answer == EPromptAnswer::Yes) break;
        if (answer != EPromptAnswer::No) return false;
        AdvanceVideoSequenceNumber();
        doc.seqNumber = GetNextVideoSequenceNumber();
        if (tried.count(doc.seqNumber)) return false;  // every number of the day is taken
    }
    const std::string folder = JoinPath(root, doc.FolderName());
    std::filesystem::create_directories(folder, ec);
    if (!IsDirectory(folder)) {
        Prompt().Message(StrPrintf("The sequence folder %s cannot be created: %s.", folder.c_str(),
                                   ec.message().c_str()),
                         EPromptIcon::Exclamation);
        return false;
    }
    doc.seqDir = doc.FolderName();
    targetPath = folder;
    // The number is used: the next set-up proposes the one after it.
    AdvanceVideoSequenceNumber();
    return true;
}
