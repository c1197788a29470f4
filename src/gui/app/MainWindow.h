#pragma once
// The multi-document main window: document windows in an MDI area, the control bar docked on
// the left, the status bar, and the menu bar of the active document's type (the main frame's
// own when no document is open). It owns the main frame core (the station hardware) and
// carries out the start-up (CVelmApp) through the CStartupUi operations.
//
// Commands are actions named in MenuTable.cpp. An entry does something once a command is
// attached to its name (AttachCommand); entries without one stay disabled. Later parts of the
// program attach theirs the same way, e.g. the observation document's Mode commands:
//
//     window.AttachCommand("modePoint", {[&window](QAction&) {
//         if (CObsDocWindow* w = window.ActiveObsWindow()) TakePoint(w->Document());
//     }, [&window] { return window.ActiveObsWindow() != nullptr; }});

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/MainFrame.h"
#include "app/Startup.h"
#include "gui/app/DocumentWindow.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QDockWidget;
class QPrinter;
class CControlBar;
class CMotionInputFilter;
class CQtPointer;
class CLiveVideoWindow;
struct SMenuItem;

class CMainWindow : public QMainWindow, public CMainFrameView, public CStartupUi {
    Q_OBJECT
  public:
    static constexpr const char* kTitle = "VELM for Windows95/98 and NT/XP v2.00";

    // A command behind a menu entry. `enabled`, `checked` and `visible` are asked whenever the
    // menus are about to show or the active document changes (empty `enabled`, `visible`:
    // always enabled, always shown).
    struct SCommand {
        std::function<void(QAction&)> run;
        std::function<bool()> enabled;
        std::function<bool()> checked;
        std::function<bool()> visible = {};
        // The entry's text now (empty: the menu table's), for commands that read differently
        // while they run.
        std::function<QString()> text = {};
    };

    // Builds the main frame core (hardware from velm.ini), the control bar, the menus and the
    // timers. The window is shown by the start-up (CVelmApp::InitInstance via App()).
    explicit CMainWindow(QWidget* parent = nullptr);
    ~CMainWindow() override;

    QMdiArea* MdiArea() const { return mdiArea; }
    CMainFrame& Frame() { return *frame; }
    CVelmApp& App() { return app; }
    CControlBar* ControlBar() const { return controlBar; }
    CMotionInputFilter* InputFilter() const { return inputFilter.get(); }

    // ---- Documents --------------------------------------------------------------------------
    // A new document of `type` in a new window ("newdata1", "newdata2", ...).
    CDocumentWindow* CreateNewDocument(EDocType type);
    // Opens `path` as a document of `type`; an open window of that file is activated instead.
    // Null when the file could not be read (the user has been told).
    CDocumentWindow* OpenDocumentWindow(const std::string& path, EDocType type);
    // As the command line, the recent files and dropped files do: by extension, looking for a
    // missing file with the user. True when a document was opened.
    bool OpenDocumentFile(const QString& path);
    CDocumentWindow* ActiveDocumentWindow() const;
    CObsDocWindow* ActiveObsWindow() const;
    QList<CDocumentWindow*> DocumentWindows() const;

    // ---- Commands ---------------------------------------------------------------------------
    // The action of a menu entry by object name (null when there is none).
    QAction* Action(const QString& name) const;
    void AttachCommand(const QString& name, SCommand command);
    // Asked before any attached command runs, with the command's name: false stops it (a watch
    // window that must close first, a refusal). Empty: every command runs.
    std::function<bool(const QString& name)> commandGuard;
    // Re-asks every command whether it is enabled or checked.
    void UpdateActions();
    // Titles the observation documents' Technique menu after the station's technique and
    // lists the ISP/PVP probe names; call it whenever either changes.
    void UpdateTechniqueMenu();
    QMenu* TechniqueMenu() const;
    // The menu set in the menu bar now (0: the main frame's own).
    int CurrentMenuSet() const { return currentMenuSet; }
    // Asked before the program ends (after the user asked to close it): false keeps it running.
    // Scans that are still running ask here.
    void AddExitCheck(std::function<bool()> check) { exitChecks.push_back(std::move(check)); }
    // The etch/rinse control bar, once it exists: View > "&Etch/Rinse Control" toggles it.
    void SetEtchRinseBar(QDockWidget* bar);

    // "VELM File Locations", replaceable (the screenshot tool answers it itself).
    std::function<std::optional<EStartChoice>(std::string& root)> fileLocationsDialog;

    // ---- CStartupUi -------------------------------------------------------------------------
    bool CreateMainFrame() override { return true; }
    std::optional<EStartChoice> FileLocations(std::string& root) override;
    std::optional<std::string> AskOpenPath(const std::string& startName,
                                           const SDocTemplate* only) override;
    bool OpenDocument(const std::string& path, const SDocTemplate& type) override;
    void NewDocument(const SDocTemplate& type) override;
    void ShowMainWindow() override;
    // The document windows side by side, filling the area.
    void TileSideBySide();

    // ---- CMainFrameView ---------------------------------------------------------------------
    void ShowSensitivity() override;
    void ShowHint(const std::string& text) override;
    void ShowPosition(EStage stage) override;
    void ShowMotionControl() override;
    void ShowZMinimum(EStage stage) override;
    void ShowMoveToButton(EStage stage) override;
    bool RunTracker(bool run) override;
    void ShowLiveVideo(bool on) override;
    CGoToPositionLogic::EResult GoToPosition(CGoToPositionLogic& logic, CDVector4& target) override;

    bool TrackerTimerActive() const { return trackerTimer.isActive(); }
    CLiveVideoWindow* LiveVideo() const { return liveVideo; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    // The first time the window shows: the etch/rinse bar takes its place over the work area.
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildMenus();
    // The toolbar's entries whose commands are attached.
    void FillToolBar();
    QMenu* BuildMenu(const SMenuItem& item, QWidget* parent);
    QAction* ActionFor(const SMenuItem& item);
    void Dispatch(QAction* action);
    void AttachBuiltInCommands();
    void AddEtchRinseBar();
    void ActiveWindowChanged();
    void ShowMenuSet(int menuSet);
    void FillRecentFiles(QMenu* menu);
    void FillWindowList(QMenu* menu);
    void UpdateTitle();
    void UpdateMemoryLoad();
    QPoint ViewCentre() const;
    CDocumentWindow* AddDocumentWindow(std::unique_ptr<CDocumentWindow> window);
    CImageDocWindow* ActiveImageWindow() const;

    // Commands.
    void FileNew();
    void FileOpen();
    void FileSave(bool as);
    void RootDirectory();
    void SetDaOutput();
    // System > "&Optical System ...": the definition dialog; on OK the edited system becomes
    // the active one and the control bar's list is refilled.
    void EditOpticalSystems();
    void Paste();

    std::unique_ptr<CMainFrame> frame;
    CVelmApp app{*this};
    QMdiArea* mdiArea = nullptr;
    CControlBar* controlBar = nullptr;
    QDockWidget* controlDock = nullptr;
    QDockWidget* etchRinseBar = nullptr;
    bool etchRinseBarPlaced = false;
    QToolBar* toolBar = nullptr;
    QLabel* motionHint = nullptr;  // status bar, while keyboard and mouse drive the stages
    std::unique_ptr<CMotionInputFilter> inputFilter;
    std::unique_ptr<CQtPointer> pointer;
    CLiveVideoWindow* liveVideo = nullptr;
    QTimer memoryTimer;
    QTimer trackerTimer;
    std::unique_ptr<QPrinter> printer;  // made when first needed: it asks the print system

    std::map<QString, QAction*> actions;
    std::map<QString, SCommand> commands;
    std::vector<std::function<bool()>> exitChecks;
    std::map<int, std::vector<QMenu*>> menuBars;
    int currentMenuSet = -1;
    bool tilePending = false;
    int dispatching = 0;  // commands running now
    std::map<EDocType, int> newDocumentCounts;
};

// The running program's main window (null when none exists).
CMainWindow* TheMainWindow();

// What the program does while the clock waits (a settling wait, an averaging window, a move):
// windows keep painting, but what the user types waits until the wait is over. Timers that
// fire in here find the station busy (CStationBusy) and skip their ticks, so the D/A tracker
// never reads the board in the middle of another reading. main() installs it as the clock's
// idle hook.
void RunClockIdle();
// Whether the user pressed Esc: what is waiting in the event stream is handled as during a
// clock wait, except that every key press and click is taken out of it. Asked between the
// steps of a long acquisition.
bool EscapePressedDuringWait();
