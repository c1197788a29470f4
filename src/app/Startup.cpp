#include "app/Startup.h"

#include <climits>
#include <filesystem>

#include "app/MainFrame.h"
#include "hw/AdBoard.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "scan/ScanDoc.h"
#include "scan/ScanRecovery.h"
#include "settings/FileNumbering.h"
#include "settings/Profile.h"

namespace fs = std::filesystem;

namespace {
bool IsFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

// Documents are remembered by absolute path, so the recent-file list and the check for an
// already open document do not depend on the folder the program happens to be in.
std::string Absolute(const std::string& path) {
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}
}  // namespace

std::string CVelmApp::CommandLinePath(const std::vector<std::string>& arguments) {
    std::string path;
    for (const std::string& word : arguments) {
        if (!path.empty()) path += ' ';
        path += word;
    }
    return path;
}

bool CVelmApp::InitInstance(const std::vector<std::string>& arguments) {
    recentFiles.Load();
    previewPages = Profile().GetProfileInt("Settings", "PreviewPages", 1);
    if (!ui.CreateMainFrame()) return false;
    // Text and surface exports of a document that lists scans take in the scans' observations.
    InstallScanDocumentOpener();

    const std::string path = CommandLinePath(arguments);
    if (path.empty()) {
        if (RunFileLocations()) ui.NewDocument(DocTemplate(EDocType::Observation));
    } else {
        // Before the document is read: a recovered scan may add itself to it.
        RecoverInterruptedScans(GetRootDirectory());
        OpenDocumentFile(path);
    }
    ui.ShowMainWindow();
    CountRun();
    return true;
}

bool CVelmApp::OpenDocumentFile(const std::string& path) {
    std::string file = path;
    if (!IsFile(file)) {
        Prompt().Message("File " + path + " not found\nPlease locate current copy.",
                         EPromptIcon::Exclamation);
        std::optional<std::string> picked = ui.AskOpenPath(path, nullptr);
        if (!picked || picked->empty()) return false;
        file = *picked;
    }
    const SDocTemplate* type = FindTemplateForPath(file);
    if (!type) {
        Prompt().Message(StrPrintf("%s is not a VELM document: its name ends in none of .vpo, "
                                   ".scn, .vpd, .bmp, .isq and .vsq.",
                                   file.c_str()),
                         EPromptIcon::Exclamation);
        return false;
    }
    file = Absolute(file);
    if (!ui.OpenDocument(file, *type)) return false;
    recentFiles.Add(file);
    return true;
}

bool CVelmApp::RunFileLocations() {
    std::string root = GetRootDirectory();
    std::optional<EStartChoice> choice = ui.FileLocations(root);
    if (!choice) {
        Prompt().Message(kSystemHint);
        return false;
    }
    // The folder offered on a fresh installation is ours to make; any other root the user
    // named is entered as it is, with a message when that fails.
    std::error_code ec;
    if (root == DefaultDataRoot() && !fs::exists(root, ec)) fs::create_directories(root, ec);
    root = UseRootDirectory(root);
    RecoverInterruptedScans(root);
    switch (*choice) {
        case EStartChoice::NewFile:
            return true;
        case EStartChoice::OpenFile:
            if (std::optional<std::string> picked =
                    ui.AskOpenPath(root, &DocTemplate(EDocType::Observation));
                picked && !picked->empty()) {
                OpenDocumentFile(*picked);
            }
            return false;
        case EStartChoice::SystemSetup:
            Prompt().Message(kSystemHint);
            return false;
    }
    return false;
}

void CVelmApp::RecoverInterruptedScans(const std::string& root) {
    const SScanRecoveryReport report = RecoverScanJournals(root);
    const std::string text = ScanRecoveryMessage(report);
    if (!text.empty())
        Prompt().Message(
            text, report.failures.empty() ? EPromptIcon::Information : EPromptIcon::Exclamation);
}

void CVelmApp::CountRun() {
    CProfile& profile = Profile();
    const int runs = profile.GetProfileInt(kMainframeSection, kNumberOfRunsKey, 0);
    if (runs == 0) {
        if (CMainFrame* frame = TheMainFrame()) {
            frame->AdBoard().Setup();
            frame->FgBoard().Setup();
            frame->SetupMotionSystem(frame->ProbeSystem(), kProbeMotionSection);
            frame->SetupMotionSystem(frame->SampleSystem(), kSampleMotionSection);
            frame->SetupMotionSystem(frame->TipSystem(), kTipMotionSection);
        }
    }
    if (runs < INT_MAX) profile.WriteProfileInt(kMainframeSection, kNumberOfRunsKey, runs + 1);
}
