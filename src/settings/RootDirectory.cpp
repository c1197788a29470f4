#include "settings/RootDirectory.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "platform/Format.h"
#include "platform/Services.h"
#include "settings/FileNumbering.h"
#include "settings/Profile.h"

namespace fs = std::filesystem;

std::string DefaultDataRoot() {
    const char* home = std::getenv("HOME");
    return JoinPath(home && home[0] ? home : ".", "velm-data");
}

namespace {
// The folder standing in for a root that could not be entered, for the settings file of this
// run (a test or a tool that switches settings files never sees another file's stand-in).
struct SStandInRoot {
    std::string profilePath;
    std::string root;
};
std::optional<SStandInRoot>& StandInRoot() {
    static std::optional<SStandInRoot> standIn;
    return standIn;
}

// Why `root` cannot be entered, for the user.
std::string EnterFailure(const std::string& root, int error) {
    std::string reason =
        root.empty() ? std::string("No folder is named.") : std::string(std::strerror(error)) + ".";
    const bool windowsPath =
        root.find('\\') != std::string::npos ||
        (root.size() >= 2 && root[1] == ':' && std::isalpha(static_cast<unsigned char>(root[0])));
    if (windowsPath)
        reason += " The path is a Windows path (a velm.ini copied from a Windows station?).";
    return reason;
}
}  // namespace

std::string GetRootDirectory() {
    const std::optional<SStandInRoot>& standIn = StandInRoot();
    if (standIn && standIn->profilePath == Profile().Path()) return standIn->root;
    std::string root = Profile().GetProfileString(kMainframeSection, "Line 0", "");
    return root.empty() ? DefaultDataRoot() : root;
}

void SetRootDirectory(const std::string& path) {
    StandInRoot().reset();
    Profile().WriteProfileString(kMainframeSection, "Line 0", path);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string ParentPath(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    size_t slash = p.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return p.substr(0, slash);
}

std::string UseRootDirectory(const std::string& root) {
    if (!root.empty() && ::chdir(root.c_str()) == 0) {
        SetRootDirectory(root);
        return root;
    }
    const int error = errno;
    Prompt().Message(StrPrintf("Error moving to root directory %s\n\n%s", root.c_str(),
                               EnterFailure(root, error).c_str()),
                     EPromptIcon::Stop);
    std::error_code ec;
    std::string cwd = fs::current_path(ec).string();
    Prompt().Message(StrPrintf("Using current directory %s\n\nThis is for this run only: the "
                               "settings keep the root directory as it was.",
                               cwd.c_str()),
                     EPromptIcon::Stop);
    StandInRoot() = SStandInRoot{Profile().Path(), cwd};
    return cwd;
}

std::string FileLocationsText(const std::string& root) {
    return "Data:\t" + JoinPath(root, "<filename>.VPO") + "\n" + "Scans:\t" +
           JoinPath(root, "SGMMDDYY/SMMDD###.SCN") + "\n" + "Images:\t" +
           JoinPath(root, "IMAGES/IMAGE###.DIB");
}

CRootDirectoryDialogLogic::CRootDirectoryDialogLogic(const std::string& path) {
    SetCurrent(path);
    experimentNumber = GetExperimentNumber();
}

void CRootDirectoryDialogLogic::SetCurrent(const std::string& path) {
    currentPath = path.empty() ? std::string("/") : path;
    editText = currentPath;
}

std::vector<std::string> CRootDirectoryDialogLogic::Paths() const {
    std::vector<std::string> dirs;
    std::error_code ec;
    for (fs::directory_iterator it(currentPath, fs::directory_options::skip_permission_denied, ec),
         end;
         !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_directory(typeEc)) dirs.push_back(it->path().filename().string());
    }
    std::sort(dirs.begin(), dirs.end());
    if (currentPath != "/") dirs.insert(dirs.begin(), "..");
    return dirs;
}

std::vector<std::string> CRootDirectoryDialogLogic::Files() const {
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::directory_iterator it(currentPath, fs::directory_options::skip_permission_denied, ec),
         end;
         !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_directory(typeEc)) files.push_back(it->path().filename().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

void CRootDirectoryDialogLogic::OpenPathEntry(const std::string& entry) {
    if (entry.empty()) return;
    if (entry == "..") {
        SetCurrent(ParentPath(currentPath));
    } else {
        SetCurrent(JoinPath(currentPath, entry));
    }
}

std::string CRootDirectoryDialogLogic::Resolve(const std::string& entry) const {
    if (entry.empty()) return currentPath;
    if (entry.front() == '/') return entry;
    return JoinPath(currentPath, entry);
}

bool CRootDirectoryDialogLogic::Ok(std::string& result) {
    std::string path = Resolve(editText);
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        result = path;
        return true;
    }
    EPromptAnswer answer = Prompt().Ask(
        StrPrintf("The folder\n\n\t%s\t  \n\ndoes not exist.  Attempt to create it?", path.c_str()),
        EPromptButtons::OkCancel, EPromptIcon::Question, kErrorCaption);
    if (answer != EPromptAnswer::Ok) return false;
    fs::create_directories(path, ec);
    if (!fs::is_directory(path, ec)) {
        Prompt().Message(StrPrintf("Cannot create root directory %s.", path.c_str()),
                         EPromptIcon::Stop, kErrorCaption);
        return false;
    }
    result = path;
    return true;
}

void CRootDirectoryDialogLogic::Cancel() {
    CommitExperimentNumber(experimentNumber);
}

std::string CRootDirectoryDialogLogic::ProposedFolderName() const {
    return RootDirectoryName(CClock::LocalTime(Clock().Now().seconds), GetExperimentNumber());
}

bool CRootDirectoryDialogLogic::CreateInCurrent(const std::string& name) {
    std::string path = name.empty() ? std::string() : Resolve(name);
    std::error_code ec;
    if (path.empty() || fs::exists(path, ec)) {
        Prompt().Message(StrPrintf("Error moving to directory %s", path.c_str()),
                         EPromptIcon::Stop);
        return false;
    }
    EPromptAnswer answer =
        Prompt().Ask(StrPrintf("The folder \n\n\t%s\t  \n\ndoes not exist.  Attempt to create it?",
                               path.c_str()),
                     EPromptButtons::YesNo, EPromptIcon::Question);
    if (answer != EPromptAnswer::Yes) return false;
    fs::create_directories(path, ec);
    if (!fs::is_directory(path, ec)) {
        Prompt().Message(StrPrintf("Unable to create new path %s", path.c_str()));
        return false;
    }
    CommitExperimentNumber(-1);
    SetCurrent(path);
    return true;
}

void CRootDirectoryDialogLogic::GoToParent() {
    SetCurrent(ParentPath(currentPath));
}

CDefaultFilenamesLogic::CDefaultFilenamesLogic()
    : imagePrefix(GetImagePrefix()),
      exportPrefix(GetExportPrefix()),
      imageNumber(GetNextImageNumber()),
      exportNumber(GetNextExportFileNumber()) {}

bool CDefaultFilenamesLogic::ResetImageNumber() {
    if (Prompt().Ask("Are you sure you want to reset the next image file number to 0?",
                     EPromptButtons::YesNo, EPromptIcon::Question) != EPromptAnswer::Yes) {
        return false;
    }
    ::ResetImageNumber();
    imageNumber = GetNextImageNumber();
    return true;
}

bool CDefaultFilenamesLogic::ResetExportNumber() {
    if (Prompt().Ask("Are you sure you want to reset the next export file number to 0?",
                     EPromptButtons::YesNo, EPromptIcon::Question) != EPromptAnswer::Yes) {
        return false;
    }
    ::ResetExportFileNumber();
    exportNumber = GetNextExportFileNumber();
    return true;
}

void CDefaultFilenamesLogic::Ok() {
    SetPrefixes(imagePrefix, exportPrefix);
}

std::string CDefaultFilenamesLogic::NumberText(int number) {
    return StrPrintf("current number: %d", number);
}
