#pragma once
// The program's start: what the user sees first and the documents it opens. The window system
// side (the main window, the dialogs, the document windows) is reached through CStartupUi, so
// that the order of things and every decision can be run without a screen.

#include <optional>
#include <string>
#include <vector>

#include "app/DocTemplates.h"
#include "settings/RecentFiles.h"
#include "settings/RootDirectory.h"

// What the start-up and the opening of documents need from the window system.
class CStartupUi {
  public:
    virtual ~CStartupUi() = default;
    // Creates the main window and with it the main frame. False aborts the start.
    virtual bool CreateMainFrame() = 0;
    // "VELM File Locations" on `root` ("Change Directory" may change it). Nullopt when the
    // dialog was closed without choosing.
    virtual std::optional<EStartChoice> FileLocations(std::string& root) = 0;
    // The Open dialog (the file must exist), starting from `startName`; limited to one
    // document type when `only` is given. Nullopt when cancelled.
    virtual std::optional<std::string> AskOpenPath(const std::string& startName,
                                                   const SDocTemplate* only) = 0;
    // Opens `path` as a document of `type` in a window. False when it could not be opened
    // (the user has been told why).
    virtual bool OpenDocument(const std::string& path, const SDocTemplate& type) = 0;
    // A new, empty document of `type`.
    virtual void NewDocument(const SDocTemplate& type) = 0;
    // Shows the main window (maximised) with its documents laid out.
    virtual void ShowMainWindow() {}
};

inline constexpr const char* kNumberOfRunsKey = "Number of Runs";
inline constexpr const char* kSystemHint =
    "Use the 'System' menu to specify and test\nyour hardware configuration.";

class CVelmApp {
  public:
    explicit CVelmApp(CStartupUi& ui) : ui(ui) {}

    // The whole start-up. `arguments` are the command-line words after the program name.
    // False when the main window could not be made.
    bool InitInstance(const std::vector<std::string>& arguments);

    // Opens a named document by its extension. A file that is not there is looked for with
    // the user ("not found ... Please locate current copy." and the Open dialog). True when a
    // document was opened; the path then heads the recent-file list.
    bool OpenDocumentFile(const std::string& path);

    // The main frame's start-up routine: "VELM File Locations", entering the chosen root.
    // True when the user asked for a new observation document.
    bool RunFileLocations();

    // Turns the journals of scans that a crash interrupted under `root` into their scan files,
    // telling the user in one message what was recovered.
    static void RecoverInterruptedScans(const std::string& root);

    // The first-run set-up dialogs, when "Number of Runs" is 0; the count then grows by one.
    static void CountRun();

    // The command line as one document path: the words joined by single blanks, so a path
    // with blanks that reached us unquoted still names its file. "" for none.
    static std::string CommandLinePath(const std::vector<std::string>& arguments);

    CRecentFileList recentFiles;
    int previewPages = 1;

  private:
    CStartupUi& ui;
};
