#pragma once
// The data root directory: where it is kept, entering it, and the working logic of the
// "VELM Root Directory", "Create New Root Directory", "Default Filenames" and "VELM File
// Locations" dialogs. The Qt dialogs only bind widgets to these classes.
//
// Paths are Linux paths: "/" separates folders, an entry starting with "/" is absolute, and
// names keep their letter case (Linux names are case-sensitive).

#include <string>
#include <vector>

// The root directory in use: the one remembered in velm.ini ("Line 0" of "Mainframe
// Parameters"), DefaultDataRoot() when none is stored, or the folder that stands in for an
// unreachable root during this run (UseRootDirectory).
std::string GetRootDirectory();
// Remembers `path` in velm.ini as the root directory (and ends a stand-in of this run).
void SetRootDirectory(const std::string& path);
// ~/velm-data: the root offered on a fresh installation.
std::string DefaultDataRoot();

// Joins a folder and a name with one "/" between them.
std::string JoinPath(const std::string& folder, const std::string& name);
// The parent folder ("/" stays "/").
std::string ParentPath(const std::string& path);

// Changes the working directory into `root` and makes it the root directory, remembered in
// velm.ini. A root that cannot be entered (an unmounted data disk, a Windows path in a
// velm.ini copied from a Windows station) is never stored: "Error moving to root directory
// %s" says why, the current working directory stands in for it during this run only ("Using
// current directory %s"), and velm.ini keeps the root it had. Returns the root in use.
std::string UseRootDirectory(const std::string& root);

// The three-line layout text of "VELM File Locations" for a root.
std::string FileLocationsText(const std::string& root);

// "VELM File Locations": how the user wants to start.
enum class EStartChoice { NewFile, OpenFile, SystemSetup };

// The "VELM Root Directory" dialog's working values and operations.
class CRootDirectoryDialogLogic {
  public:
    static constexpr const char* kErrorCaption = "Root Directory Error";

    // Lists `path` and takes the experiment number for a folder created now.
    explicit CRootDirectoryDialogLogic(const std::string& path);

    const std::string& CurrentPath() const { return currentPath; }
    // The "Root Directory:" edit.
    std::string editText;
    // "Paths:": ".." (except at "/") and the sub-folders of the current path, sorted.
    std::vector<std::string> Paths() const;
    // "Files:": every file of the current path, sorted.
    std::vector<std::string> Files() const;

    // Double click in "Paths:": ".." goes up, any other entry goes into that sub-folder.
    void OpenPathEntry(const std::string& entry);

    // OK: true when the dialog closes with `result`; false keeps it open (after a message).
    bool Ok(std::string& result);
    // Cancel: commits the dialog's experiment number (resetting the four counters).
    void Cancel();

    // The name proposed in "Create New Root Directory" ("%02d%02d%02d%02d").
    std::string ProposedFolderName() const;
    // "New In Current Directory ...": creates `name` (as entered in "Create New Root
    // Directory") after the question; on success it becomes the current path. True when a
    // folder was created.
    bool CreateInCurrent(const std::string& name);
    // "New In Parent Directory ...": goes to the parent first.
    void GoToParent();

    int ExperimentNumber() const { return experimentNumber; }

  private:
    void SetCurrent(const std::string& path);
    std::string Resolve(const std::string& entry) const;

    std::string currentPath;
    int experimentNumber = 0;
};

// The "Default Filenames" dialog's working values and operations.
class CDefaultFilenamesLogic {
  public:
    CDefaultFilenamesLogic();

    // "Images:" and "Text Exports:" start with the prefixes in use (the defaults "image" and
    // "expor" on a fresh installation), so OK without an edit keeps the file names as they are.
    std::string imagePrefix;
    std::string exportPrefix;
    int imageNumber = 0;  // "current number: %d"
    int exportNumber = 0;

    // The Reset buttons: ask, and on Yes write 0 at once. True when reset.
    bool ResetImageNumber();
    bool ResetExportNumber();
    // OK: stores both prefixes.
    void Ok();
    // "current number: %d".
    static std::string NumberText(int number);
};
