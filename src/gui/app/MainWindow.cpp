#include "gui/app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QUrl>

#include "app/ObsDocCommands.h"
#include "gui/app/AdBoardTestDialog.h"
#include "gui/app/ControlBar.h"
#include "gui/app/DesktopLook.h"
#include "gui/app/Dialogs.h"
#include "gui/app/FileDialogs.h"
#include "gui/app/MenuTable.h"
#include "gui/app/MotionInput.h"
#include "gui/app/ObsDocWiring.h"
#include "gui/app/OpticalSystemDialog.h"
#include "gui/app/RootDirectoryDialogs.h"
#include "gui/display/DisplayWiring.h"
#include "gui/hw/AdBoardSetupDialog.h"
#include "gui/hw/EtchRinseBar.h"
#include "gui/hw/HwDialogs.h"
#include "gui/hw/ImageView.h"
#include "gui/hw/LiveVideoWindow.h"
#include "gui/hw/QtMotionDialogs.h"
#include "gui/hw/SimStationDialog.h"
#include "gui/platform/QtText.h"
#include "gui/scan/DaScanWiring.h"
#include "gui/scan/GridScanWiring.h"
#include "gui/scan/ScanDocWindow.h"
#include "gui/scan/VidSeqWiring.h"
#include "hw/AdBoard.h"
#include "hw/BathMover.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "obs/ObsDocSettings.h"
#include "obs/VelmObs.h"
#include "platform/AtomicFile.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "platform/StationBusy.h"
#include "settings/FileNumbering.h"
#include "settings/Profile.h"
#include "tech/Station.h"

namespace {
CMainWindow* theMainWindow = nullptr;

// The toolbar: the commands a researcher uses every minute. An entry is shown once a command
// is attached to it, so Watch and Grid Scan take their places when they are built. A null name
// separates groups.
struct SToolBarEntry {
    const char* name;
    const char* themeIcon;  // the desktop icon theme's name ("" when it has none that fits)
    const char* builtIn;    // the drawing used without one
};
const SToolBarEntry kToolBar[] = {
    {"fileNew", "document-new", "new"},
    {"fileOpen", "document-open", "open"},
    {"fileSave", "document-save", "save"},
    {nullptr, nullptr, nullptr},
    {"modePoint", "", "point"},
    {"modeReference", "", "reference"},
    {"modeWatch", "", "watch"},
    {"modeGridScan", "", "gridScan"},
    {nullptr, nullptr, nullptr},
    {"editLogEntry", "", "log"},
};
// Menu entries with an icon but no place on the toolbar.
const SToolBarEntry kMenuIcons[] = {
    {"fileExit", "application-exit", "exit"},
    {"helpIndex", "help-contents", "help"},
};

// A menu text shows "&" as a mnemonic mark; a name that holds one must show it as written.
std::string EscapeMnemonics(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '&') escaped += '&';
        escaped += c;
    }
    return escaped;
}

// An image from the clipboard as a 24-bit bitmap.
CBitmapImage BitmapFromQImage(const QImage& source) {
    QImage rgb = source.convertToFormat(QImage::Format_RGB888);
    CBitmapImage image = CBitmapImage::Blank(rgb.width(), rgb.height(), 24);
    if (!image.IsValid()) return image;
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* in = rgb.constScanLine(rgb.height() - 1 - y);
        uint8_t* out = image.Row(y);
        for (int x = 0; x < rgb.width(); ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return image;
}
}  // namespace

CMainWindow* TheMainWindow() {
    return theMainWindow;
}

void RunClockIdle() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

namespace {
// Takes everything the user does out of the event stream, noting whether Esc was pressed: the
// station stays one thing at a time while its window keeps painting.
class CEscapeFilter : public QObject {
  public:
    bool pressed = false;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
                if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) pressed = true;
                return true;
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
            case QEvent::Close:
                return true;
            default:
                return false;
        }
    }
};
}  // namespace

bool EscapePressedDuringWait() {
    // Timers that fire while the events are handled find the station busy and skip.
    CStationBusy::CScope busy;
    CEscapeFilter filter;
    QCoreApplication::instance()->installEventFilter(&filter);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::instance()->removeEventFilter(&filter);
    return filter.pressed;
}

CMainWindow::CMainWindow(QWidget* parent) : QMainWindow(parent) {
    theMainWindow = this;
    setObjectName("mainWindow");
    setWindowTitle(kTitle);
    setWindowIcon(VelmIcon());
    setAcceptDrops(true);
    InstallHwDialogs();
    InstallAdBoardSetupDialog(this);

    frame = std::make_unique<CMainFrame>();
    frame->SetView(this);
    pointer = std::make_unique<CQtPointer>([this] { return ViewCentre(); });
    frame->SetPointer(pointer.get());
    inputFilter = std::make_unique<CMotionInputFilter>(*frame);
    frame->FgBoard().showLiveVideo = [this] { ShowLiveVideo(true); };
    // Image, scan and video observations open their files as documents here.
    SetOpenDocumentHook([this](const std::string& path) { return OpenDocumentFile(ToQ(path)); });

    mdiArea = new QMdiArea(this);
    mdiArea->setObjectName("mdiArea");
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setBackground(QColor(0x80, 0x8a, 0x94));
    setCentralWidget(mdiArea);
    connect(mdiArea, &QMdiArea::subWindowActivated, this, &CMainWindow::ActiveWindowChanged);

    controlBar = new CControlBar(*frame, this);
    controlDock = new QDockWidget(tr("Control"), this);
    controlDock->setObjectName("controlDock");
    // On a short screen the control bar scrolls rather than making the window taller than
    // the screen.
    auto* controlScroll = new QScrollArea(controlDock);
    controlScroll->setObjectName("controlScroll");
    controlScroll->setWidget(controlBar);
    controlScroll->setWidgetResizable(true);
    controlScroll->setFrameShape(QFrame::NoFrame);
    controlScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    controlScroll->setMinimumWidth(controlBar->sizeHint().width() +
                                   controlScroll->verticalScrollBar()->sizeHint().width());
    controlDock->setWidget(controlScroll);
    controlDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    controlDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    addDockWidget(Qt::LeftDockWidgetArea, controlDock);

    BuildMenus();
    toolBar = addToolBar(tr("Toolbar"));
    toolBar->setObjectName("toolBar");
    toolBar->setMovable(false);
    toolBar->setIconSize(QSize(22, 22));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (const SToolBarEntry& entry : kToolBar)
        if (entry.name)
            if (QAction* action = Action(entry.name))
                action->setIcon(CommandIcon(entry.themeIcon, entry.builtIn));
    for (const SToolBarEntry& entry : kMenuIcons)
        if (QAction* action = Action(entry.name))
            action->setIcon(CommandIcon(entry.themeIcon, entry.builtIn));
    if (QAction* about = Action("helpAbout")) about->setIcon(VelmIcon());
    motionHint = new QLabel(this);
    motionHint->setObjectName("motionHint");
    motionHint->hide();
    statusBar()->addPermanentWidget(motionHint);
    statusBar()->showMessage(tr("Ready"));
    AddEtchRinseBar();

    AttachBuiltInCommands();
    AttachObservationCommands(*this);
    AttachSequenceCommands(*this);
    AttachScanDocCommands(*this);
    AttachDaScanCommands(*this);
    AttachGridScanCommands(*this);
    AttachDisplayCommands(*this);
    ShowMenuSet(kMainFrameMenuSet);
    UpdateTechniqueMenu();
    FillToolBar();
    UpdateActions();

    // Timers run from the window's creation: the memory display always, the D/A tracker while
    // a channel tracks.
    connect(&memoryTimer, &QTimer::timeout, this, &CMainWindow::UpdateMemoryLoad);
    memoryTimer.start(CMainFrame::kMemoryTimerMs);
    UpdateMemoryLoad();
    connect(&trackerTimer, &QTimer::timeout, this, [this] { frame->OnTrackerTick(); });
    trackerTimer.setInterval(CMainFrame::kTrackerTimerMs);
    frame->StartTracker();
    controlBar->ShowAll();
    resize(1100, 750);
}

CMainWindow::~CMainWindow() {
    memoryTimer.stop();
    trackerTimer.stop();
    inputFilter->SetActive(false);
    delete liveVideo;
    liveVideo = nullptr;
    // The bar shows the frame's bath mover: it goes before the frame.
    QDockWidget* bar = etchRinseBar;
    SetEtchRinseBar(nullptr);
    delete bar;
    // Documents go before the frame whose hardware their observations were stamped with.
    for (QMdiSubWindow* sub : mdiArea->subWindowList())
        delete sub;
    frame->FgBoard().showLiveVideo = nullptr;
    frame->SetView(nullptr);
    frame->SetPointer(nullptr);
    SetOpenDocumentHook(nullptr);
    InstallAdBoardSetupDialog(nullptr);
    frame.reset();
    if (theMainWindow == this) theMainWindow = nullptr;
}

// ---- Menus and commands --------------------------------------------------------------------

QAction* CMainWindow::ActionFor(const SMenuItem& item) {
    QString name = QString::fromLatin1(item.name);
    if (auto it = actions.find(name); it != actions.end()) return it->second;
    auto* action = new QAction(QString::fromLatin1(item.text), this);
    action->setObjectName(name);
    if (item.shortcut && item.shortcut[0])
        action->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
    action->setCheckable(item.checkable);
    action->setEnabled(false);
    connect(action, &QAction::triggered, this, [this, action] { Dispatch(action); });
    actions[name] = action;
    return action;
}

QMenu* CMainWindow::BuildMenu(const SMenuItem& item, QWidget* parent) {
    auto* menu = new QMenu(QString::fromLatin1(item.text), parent);
    menu->setObjectName(QString::fromLatin1(item.name));
    for (const SMenuItem& entry : item.items) {
        if (!entry.text) {
            menu->addSeparator();
        } else if (!entry.items.empty() || std::string(entry.name) == kIspPvpMenu) {
            menu->addMenu(BuildMenu(entry, menu));
        } else {
            menu->addAction(ActionFor(entry));
        }
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        UpdateActions();
        if (menu->objectName() == QLatin1String("fileMenu")) FillRecentFiles(menu);
        if (menu->objectName() == QLatin1String("windowMenu")) FillWindowList(menu);
    });
    return menu;
}

void CMainWindow::BuildMenus() {
    for (int set : {kMainFrameMenuSet, 3, 4, 5, 6, 7})
        for (const SMenuItem& top : MenuBar(set))
            menuBars[set].push_back(BuildMenu(top, this));
    // The anchors only mark where the lists go.
    actions[kRecentFilesAnchor]->setEnabled(false);
    actions[kWindowListAnchor]->setVisible(false);
}

void CMainWindow::ShowMenuSet(int menuSet) {
    if (menuSet == currentMenuSet) return;
    currentMenuSet = menuSet;
    menuBar()->clear();
    for (QMenu* menu : menuBars[menuSet])
        menuBar()->addMenu(menu);
}

QAction* CMainWindow::Action(const QString& name) const {
    auto it = actions.find(name);
    return it != actions.end() ? it->second : nullptr;
}

QMenu* CMainWindow::TechniqueMenu() const {
    for (QMenu* menu : menuBars.at(4))
        if (menu->objectName() == QLatin1String(kTechniqueMenu)) return menu;
    return nullptr;
}

void CMainWindow::AttachCommand(const QString& name, SCommand command) {
    commands[name] = std::move(command);
    FillToolBar();
    UpdateActions();
}

void CMainWindow::FillToolBar() {
    if (!toolBar) return;
    // The entries to show, a null for each separator between groups that show something.
    std::vector<QAction*> wanted;
    bool groupShown = false;
    for (const SToolBarEntry& entry : kToolBar) {
        if (!entry.name) {
            if (groupShown) wanted.push_back(nullptr);
            groupShown = false;
            continue;
        }
        QAction* action = Action(entry.name);
        if (!action || !commands.count(entry.name)) continue;
        wanted.push_back(action);
        groupShown = true;
    }
    if (!wanted.empty() && !wanted.back()) wanted.pop_back();
    std::vector<QAction*> shown;
    for (QAction* action : toolBar->actions())
        shown.push_back(action->isSeparator() ? nullptr : action);
    if (shown == wanted) return;
    // Rebuilding deletes the toolbar's buttons: never under the feet of the one that was just
    // pressed (a command that attaches another).
    if (dispatching > 0) {
        QTimer::singleShot(0, this, &CMainWindow::FillToolBar);
        return;
    }
    toolBar->clear();
    for (QAction* action : wanted) {
        if (action)
            toolBar->addAction(action);
        else
            toolBar->addSeparator();
    }
}

void CMainWindow::Dispatch(QAction* action) {
    auto it = commands.find(action->objectName());
    if (it == commands.end() || !it->second.run) return;
    // The state may have changed since the menu was drawn (a shortcut needs no menu).
    if (it->second.enabled && !it->second.enabled()) return;
    if (commandGuard && !commandGuard(action->objectName())) return;
    SCommand command = it->second;  // a command may replace itself
    const QPointer<CMainWindow> alive(this);
    ++dispatching;
    command.run(*action);
    if (!alive) return;
    --dispatching;
    if (theMainWindow == this) UpdateActions();
}

void CMainWindow::UpdateActions() {
    for (auto& [name, action] : actions) {
        if (name == QLatin1String(kRecentFilesAnchor) || name == QLatin1String(kWindowListAnchor))
            continue;
        auto it = commands.find(name);
        if (it == commands.end()) {
            action->setEnabled(false);
            continue;
        }
        action->setEnabled(!it->second.enabled || it->second.enabled());
        if (action->isCheckable() && it->second.checked) action->setChecked(it->second.checked());
        if (it->second.visible) action->setVisible(it->second.visible());
        if (it->second.text) {
            const QString text = it->second.text();
            if (!text.isEmpty() && action->text() != text) action->setText(text);
        }
    }
    if (QMenu* technique = TechniqueMenu()) {
        for (const char* name : {kIspPvpProbeItem, kIspPvpNewItem, kIspPvpSelectItem}) {
            auto it = commands.find(name);
            const bool enabled =
                it != commands.end() && (!it->second.enabled || it->second.enabled());
            for (QAction* item : technique->findChildren<QAction*>(name))
                item->setEnabled(enabled);
        }
    }
}

void CMainWindow::UpdateTechniqueMenu() {
    QMenu* technique = TechniqueMenu();
    if (!technique) return;
    const CStation& station = frame->Station();
    const int type = station.measurementType;
    technique->setTitle(ToQ(TechniqueMenuTitle(type, EscapeMnemonics(station.selectedProbe))));
    QMenu* probes = technique->findChild<QMenu*>(kIspPvpMenu);
    if (!probes) return;
    probes->clear();
    for (const std::string& name : station.probeNames) {
        QAction* item = probes->addAction(ToQ(EscapeMnemonics(name)));
        item->setObjectName(kIspPvpProbeItem);
        item->setData(ToQ(name));
        item->setCheckable(true);
        item->setChecked(type == kTechniqueGradient && name == station.selectedProbe);
        connect(item, &QAction::triggered, this, [this, item] { Dispatch(item); });
    }
    if (station.probeNames.empty()) probes->addAction(tr("(no probe names)"))->setEnabled(false);
    probes->addSeparator();
    for (auto [text, name] : {std::pair{"&New ...", kIspPvpNewItem},
                              std::pair{"Select By &Name ...", kIspPvpSelectItem}}) {
        QAction* item = probes->addAction(tr(text));
        item->setObjectName(name);
        connect(item, &QAction::triggered, this, [this, item] { Dispatch(item); });
    }
    UpdateActions();
}

void CMainWindow::SetEtchRinseBar(QDockWidget* bar) {
    etchRinseBar = bar;
    if (!bar) {
        commands.erase("viewEtchRinse");
    } else {
        addDockWidget(Qt::TopDockWidgetArea, bar);
        AttachCommand("viewEtchRinse",
                      {[this](QAction& a) { etchRinseBar->setVisible(a.isChecked()); },
                       {},
                       [this] { return !etchRinseBar->isHidden(); }});
    }
    UpdateActions();
}

void CMainWindow::AddEtchRinseBar() {
    auto* bar = new CEtchRinseBar(frame->Devices().BathMover(), this);
    bar->showHint = [this](const std::string& text) { ShowHint(text); };
    bar->showProbePosition = [this] { controlBar->ShowPosition(EStage::Probe); };
    auto* dock = new QDockWidget(tr("Etch-Rinse Control"), this);
    dock->setObjectName("etchRinseDock");
    dock->setWidget(bar);
    SetEtchRinseBar(dock);
    // The bar floats over the work area rather than taking a row of the window from every
    // document; it is placed when the window first shows.
    dock->setFloating(true);
}

void CMainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (etchRinseBarPlaced || !etchRinseBar || !etchRinseBar->isFloating()) return;
    etchRinseBarPlaced = true;
    // Its top on the top of the work area, its right edge 40 pixels left of the area's right.
    QWidget* area = centralWidget() ? centralWidget() : this;
    etchRinseBar->adjustSize();
    const QPoint topRight = area->mapToGlobal(QPoint(area->width() - 40, 0));
    etchRinseBar->move(topRight.x() - etchRinseBar->width(), topRight.y());
}

void CMainWindow::AttachBuiltInCommands() {
    auto always = [](std::function<void()> run) {
        return SCommand{[run](QAction&) { run(); }, {}, {}};
    };
    auto withDocument = [this](std::function<void(CDocumentWindow&)> run) {
        return SCommand{[this, run](QAction&) {
                            if (CDocumentWindow* w = ActiveDocumentWindow()) run(*w);
                        },
                        [this] { return ActiveDocumentWindow() != nullptr; },
                        {}};
    };
    auto withImage = [this](std::function<void(CImageDocWindow&)> run,
                            std::function<bool(CImageDocWindow&)> enabled = {}) {
        return SCommand{[this, run](QAction&) {
                            if (CImageDocWindow* w = ActiveImageWindow()) run(*w);
                        },
                        [this, enabled] {
                            CImageDocWindow* w = ActiveImageWindow();
                            return w && (!enabled || enabled(*w));
                        },
                        {}};
    };

    // File.
    commands["fileNew"] = always([this] { FileNew(); });
    commands["fileOpen"] = always([this] { FileOpen(); });
    commands["fileClose"] = withDocument([this](CDocumentWindow&) {
        if (QMdiSubWindow* sub = mdiArea->activeSubWindow()) sub->close();
    });
    SCommand save{[this](QAction&) { FileSave(false); },
                  [this] {
                      CDocumentWindow* w = ActiveDocumentWindow();
                      return w && w->CanSave();
                  },
                  {}};
    commands["fileSave"] = save;
    commands["fileSaveAs"] = {[this](QAction&) { FileSave(true); }, save.enabled, {}};
    commands["fileOpenWith"] = always([] { EditOpenWith(); });
    commands["filePrintSetup"] = always([this] {
        if (!printer) printer = std::make_unique<QPrinter>();
        QPageSetupDialog dialog(printer.get(), this);
        dialog.exec();
    });
    commands["fileRootDirectory"] = always([this] { RootDirectory(); });
    commands["fileDefaultFilenames"] = always([this] {
        CDefaultFilenamesDialog dialog(this);
        dialog.exec();
    });
    commands["fileExit"] = always([this] { close(); });

    // View.
    commands["viewToolbar"] = {[this](QAction& a) { toolBar->setVisible(a.isChecked()); },
                               {},
                               [this] { return !toolBar->isHidden(); }};
    commands["viewStatusBar"] = {[this](QAction& a) { statusBar()->setVisible(a.isChecked()); },
                                 {},
                                 [this] { return !statusBar()->isHidden(); }};

    // System.
    commands["systemAdSetup"] = always([this] { frame->AdBoard().Setup(); });
    commands["systemAdTest"] = always([this] {
        CAdBoardTestDialog dialog(frame->AdBoard(), this);
        dialog.exec();
    });
    commands["systemFgSetup"] = always([this] { frame->FgBoard().Setup(); });
    commands["systemFgTest"] = always([this] { frame->TestFrameGrabber(); });
    const std::pair<const char*, EStage> setups[] = {{"systemMotionProbe", EStage::Probe},
                                                     {"systemMotionSample", EStage::Sample}};
    for (const auto& [name, stage] : setups) {
        commands[name] = always([this, stage = stage] {
            frame->SetupMotionSystem(frame->Stage(stage), stage == EStage::Probe
                                                              ? kProbeMotionSection
                                                              : kSampleMotionSection);
        });
    }
    commands["systemMotionTip"] =
        always([this] { frame->SetupMotionSystem(frame->TipSystem(), kTipMotionSection); });
    commands["systemMotionTest"] = always([this] { frame->TestMotionSystem(); });
    commands["systemSimStation"] = {[this](QAction&) {
                                        CSimStationDialog dialog(frame->AdBoard(), this);
                                        dialog.exec();
                                    },
                                    {},
                                    {},
                                    [this] { return frame->AdBoard().type == kAdSimStation; }};
    commands["systemOpticalSystem"] = always([this] { EditOpticalSystems(); });

    // Technique, video and image commands of the main frame.
    // Only a board with D/A outputs has anything to set.
    commands["techniqueSetDaOutput"] = {
        [this](QAction&) { SetDaOutput(); }, [this] { return frame->AdBoard().HasDA(); }, {}};
    commands["videoLive"] = always([this] { ShowLiveVideo(true); });
    commands["videoFreeze"] = {[this](QAction&) { ShowLiveVideo(false); },
                               [this] { return liveVideo && liveVideo->Running(); },
                               {}};
    commands["videoAdjustInput"] = always([this] { frame->FgBoard().AdjustInput(); });
    commands["imageAdjustInput"] = commands["videoAdjustInput"];
    commands["videoShowOrigin"] = always([this] { frame->FgBoard().LocateOrigin(); });
    commands["videoZeroOrigin"] = always([this] { frame->FgBoard().ZeroOrigin(); });
    commands["imageCopy"] = withImage(
        [](CImageDocWindow& w) { QApplication::clipboard()->setImage(ToQImage(w.Image())); },
        [](CImageDocWindow& w) { return w.Image().IsValid(); });
    commands["imagePaste"] = withImage([this](CImageDocWindow&) { Paste(); });
    commands["imageUpdate"] = withImage([this](CImageDocWindow& w) {
        CBitmapImage image;
        if (frame->FgBoard().GrabBitmap(image)) w.SetImage(std::move(image));
    });
    commands["imageFitToWindow"] = {[this](QAction& a) {
                                        if (CImageDocWindow* w = ActiveImageWindow())
                                            w->SetFitToWindow(a.isChecked());
                                    },
                                    [this] { return ActiveImageWindow() != nullptr; },
                                    [this] {
                                        CImageDocWindow* w = ActiveImageWindow();
                                        return w && w->FitToWindow();
                                    }};

    // Window and Help.
    commands["windowCascade"] = always([this] { mdiArea->cascadeSubWindows(); });
    commands["windowTile"] = always([this] { mdiArea->tileSubWindows(); });
    commands["windowArrange"] = always([this] { mdiArea->tileSubWindows(); });
    commands["windowCloseAll"] = always([this] { mdiArea->closeAllSubWindows(); });
    commands["helpAbout"] = always([this] {
        CAboutDialog dialog(this);
        dialog.exec();
    });
    commands["helpIndex"] = always([this] {
        CKeysHelpDialog dialog(this);
        dialog.exec();
    });
}

void CMainWindow::FillRecentFiles(QMenu* menu) {
    QAction* anchor = Action(kRecentFilesAnchor);
    for (QAction* old : menu->actions())
        if (old->property("recentFile").isValid()) {
            menu->removeAction(old);
            old->deleteLater();
        }
    const std::vector<std::string>& paths = app.recentFiles.Paths();
    anchor->setVisible(paths.empty());
    int number = 1;
    for (const std::string& path : paths) {
        auto* item = new QAction(QStringLiteral("&%1 %2").arg(number++).arg(ToQ(path)), menu);
        item->setProperty("recentFile", ToQ(path));
        connect(item, &QAction::triggered, this, [this, path] { OpenDocumentFile(ToQ(path)); });
        menu->insertAction(anchor, item);
    }
}

void CMainWindow::FillWindowList(QMenu* menu) {
    QAction* anchor = Action(kWindowListAnchor);
    for (QAction* old : menu->actions())
        if (old->property("windowEntry").toBool()) {
            menu->removeAction(old);
            old->deleteLater();
        }
    int number = 1;
    for (QMdiSubWindow* sub : mdiArea->subWindowList()) {
        auto* window = qobject_cast<CDocumentWindow*>(sub->widget());
        if (!window) continue;
        auto* item = new QAction(QStringLiteral("&%1 %2").arg(number++).arg(window->Title()), menu);
        item->setProperty("windowEntry", true);
        item->setCheckable(true);
        item->setChecked(sub == mdiArea->activeSubWindow());
        connect(item, &QAction::triggered, this, [this, sub] { mdiArea->setActiveSubWindow(sub); });
        menu->insertAction(anchor, item);
    }
}

// ---- Documents ---------------------------------------------------------------------------------

CDocumentWindow* CMainWindow::AddDocumentWindow(std::unique_ptr<CDocumentWindow> window) {
    CDocumentWindow* raw = window.release();
    QMdiSubWindow* sub = mdiArea->addSubWindow(raw);
    sub->setWindowIcon(VelmIcon());
    connect(raw, &CDocumentWindow::TitleChanged, this, [this] {
        UpdateTitle();
        UpdateActions();
    });
    // A selection made with the mouse or the keys enables Hide Obs and Show Obs (and their
    // keys) at once, not when a menu is next opened.
    connect(raw, &CDocumentWindow::CommandStateChanged, this, &CMainWindow::UpdateActions);
    // When a window goes, the menus follow the one that is now on top (or the frame's own).
    connect(sub, &QObject::destroyed, this,
            [this] { QTimer::singleShot(0, this, &CMainWindow::ActiveWindowChanged); });
    sub->resize(640, 420);
    sub->show();
    mdiArea->setActiveSubWindow(sub);
    // Every document opens as the first one does: alone it fills the area, with others the
    // area is shared among them.
    TileSideBySide();
    ActiveWindowChanged();
    return raw;
}

CDocumentWindow* CMainWindow::CreateNewDocument(EDocType type) {
    std::unique_ptr<CDocumentWindow> window = CreateDocumentWindow(type);
    // A new observation document starts with the choices last saved (export options, view
    // filter, automatic saving, scan settings, detail flags).
    if (auto* obsWindow = dynamic_cast<CObsDocWindow*>(window.get()))
        LoadNewObsDocSettings(obsWindow->Document());
    const SDocTemplate& t = DocTemplate(type);
    window->SetNewName(
        QStringLiteral("%1%2").arg(QString::fromLatin1(t.baseName)).arg(++newDocumentCounts[type]));
    return AddDocumentWindow(std::move(window));
}

CDocumentWindow* CMainWindow::OpenDocumentWindow(const std::string& path, EDocType type) {
    // A file already open is not read a second time: two windows on one file would each save
    // over the other's changes.
    const QString canonical = QFileInfo(ToQ(path)).canonicalFilePath();
    for (QMdiSubWindow* sub : mdiArea->subWindowList()) {
        auto* window = qobject_cast<CDocumentWindow*>(sub->widget());
        if (window && !window->PathName().empty() &&
            QFileInfo(ToQ(window->PathName())).canonicalFilePath() == canonical) {
            mdiArea->setActiveSubWindow(sub);
            return window;
        }
    }
    std::unique_ptr<CDocumentWindow> window = CreateDocumentWindow(type);
    if (!window->Load(path)) return nullptr;
    return AddDocumentWindow(std::move(window));
}

bool CMainWindow::OpenDocumentFile(const QString& path) {
    return app.OpenDocumentFile(FromQ(path));
}

CDocumentWindow* CMainWindow::ActiveDocumentWindow() const {
    QMdiSubWindow* sub = mdiArea->activeSubWindow();
    if (!sub) {
        // Without focus (another program in front) Qt reports no active window; the one on
        // top is still the user's document.
        for (QMdiSubWindow* candidate : mdiArea->subWindowList(QMdiArea::StackingOrder))
            if (!candidate->isHidden()) sub = candidate;
    }
    return sub ? qobject_cast<CDocumentWindow*>(sub->widget()) : nullptr;
}

CObsDocWindow* CMainWindow::ActiveObsWindow() const {
    return qobject_cast<CObsDocWindow*>(ActiveDocumentWindow());
}

CImageDocWindow* CMainWindow::ActiveImageWindow() const {
    return qobject_cast<CImageDocWindow*>(ActiveDocumentWindow());
}

QList<CDocumentWindow*> CMainWindow::DocumentWindows() const {
    QList<CDocumentWindow*> list;
    for (QMdiSubWindow* sub : mdiArea->subWindowList())
        if (auto* w = qobject_cast<CDocumentWindow*>(sub->widget())) list << w;
    return list;
}

void CMainWindow::ActiveWindowChanged() {
    CDocumentWindow* active = ActiveDocumentWindow();
    ShowMenuSet(active ? active->Template().menuSet : kMainFrameMenuSet);
    UpdateTitle();
    UpdateActions();
}

void CMainWindow::UpdateTitle() {
    QString title = QString::fromLatin1(kTitle);
    if (CDocumentWindow* active = ActiveDocumentWindow()) title += " - " + active->Title();
    setWindowTitle(title);
}

// ---- File commands -------------------------------------------------------------------------

void CMainWindow::FileNew() {
    CNewDocumentDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (std::optional<EDocType> type = dialog.Choice()) CreateNewDocument(*type);
}

void CMainWindow::FileOpen() {
    QString chosen =
        FileDialogs().open(this, tr("Open"), ToQ(GetRootDirectory()), DocumentFilters());
    if (!chosen.isEmpty()) OpenDocumentFile(chosen);
}

void CMainWindow::FileSave(bool as) {
    CDocumentWindow* window = ActiveDocumentWindow();
    if (!window) return;
    bool saved = as ? window->SaveAs() : window->Save();
    if (saved) app.recentFiles.Add(window->PathName());
}

void CMainWindow::RootDirectory() {
    CRootDirectoryDialog dialog(GetRootDirectory(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    UseRootDirectory(dialog.Result());
}

void CMainWindow::EditOpticalSystems() {
    COpticalSystemDefinition logic(frame->Station().opticalSystem.name);
    logic.BindTo(*frame);
    COpticalSystemDialog dialog(logic, this);
    if (dialog.exec() == QDialog::Accepted) frame->Station().SetOpticalSystem(logic.system);
    controlBar->ShowOpticalSystems();
}

void CMainWindow::SetDaOutput() {
    CSetDaOutputLogic logic(frame->da, frame->AdBoard());
    CSetDaOutputDialog dialog(logic, this);
    if (dialog.exec() == QDialog::Accepted) frame->SetDaOutput(dialog.Values());
}

void CMainWindow::Paste() {
    CImageDocWindow* window = ActiveImageWindow();
    QImage image = QApplication::clipboard()->image();
    if (!window) return;
    if (image.isNull()) {
        Prompt().Message("The clipboard holds no image.", EPromptIcon::Information);
        return;
    }
    CBitmapImage bitmap = BitmapFromQImage(image);
    if (!bitmap.IsValid()) {
        Prompt().Message("The clipboard's image is too large to paste.", EPromptIcon::Exclamation);
        return;
    }
    window->SetImage(std::move(bitmap));
}

// ---- CStartupUi -------------------------------------------------------------------------

std::optional<EStartChoice> CMainWindow::FileLocations(std::string& root) {
    if (fileLocationsDialog) return fileLocationsDialog(root);
    CFileLocationsDialog dialog(root, isVisible() ? this : nullptr);
    dialog.setWindowIcon(VelmIcon());
    dialog.exec();
    root = dialog.Root();
    return dialog.Choice();
}

std::optional<std::string> CMainWindow::AskOpenPath(const std::string& startName,
                                                    const SDocTemplate* only) {
    QString chosen = FileDialogs().open(isVisible() ? this : nullptr, tr("Open"), ToQ(startName),
                                        DocumentFilters(only));
    if (chosen.isEmpty()) return std::nullopt;
    return FromQ(chosen);
}

bool CMainWindow::OpenDocument(const std::string& path, const SDocTemplate& type) {
    return OpenDocumentWindow(path, type.type) != nullptr;
}

void CMainWindow::NewDocument(const SDocTemplate& type) {
    CreateNewDocument(type.type);
}

void CMainWindow::ShowMainWindow() {
    showMaximized();
    // The window manager maximises in its own time: the documents are laid out now and again
    // as the window takes its size during the first second.
    tilePending = true;
    TileSideBySide();
    QTimer::singleShot(1000, this, [this] { tilePending = false; });
}

void CMainWindow::TileSideBySide() {
    // Side by side, as the documents of a session are usually compared; more than two would
    // each be too narrow for the list's columns, so they share the area as tiles.
    QList<QMdiSubWindow*> subs = mdiArea->subWindowList();
    if (subs.isEmpty()) return;
    if (subs.size() > 2) {
        mdiArea->tileSubWindows();
        return;
    }
    const QRect area = mdiArea->viewport()->rect();
    const int width = area.width() / static_cast<int>(subs.size());
    for (int i = 0; i < subs.size(); ++i)
        subs[i]->setGeometry(i * width, 0, width, area.height());
}

void CMainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (tilePending) QTimer::singleShot(0, this, &CMainWindow::TileSideBySide);
}

// ---- CMainFrameView --------------------------------------------------------------------------

void CMainWindow::ShowSensitivity() {
    controlBar->ShowSensitivity();
}

void CMainWindow::ShowHint(const std::string& text) {
    statusBar()->showMessage(ToQ(text), 8000);
}

void CMainWindow::ShowPosition(EStage stage) {
    controlBar->ShowPosition(stage);
}

void CMainWindow::ShowMotionControl() {
    controlBar->ShowMotionControl();
    inputFilter->SetActive(frame->kbdMouseEnabled);
    // A permanent part of the status bar: other messages do not cover it while control is on.
    motionHint->setText(tr("Keyboard and mouse drive the stages - Esc ends"));
    motionHint->setVisible(frame->kbdMouseEnabled);
    if (!frame->kbdMouseEnabled) statusBar()->showMessage(tr("Ready"));
}

void CMainWindow::ShowZMinimum(EStage stage) {
    controlBar->ShowZMinimum(stage);
}

void CMainWindow::ShowMoveToButton(EStage stage) {
    controlBar->ShowMoveToButton(stage);
}

bool CMainWindow::RunTracker(bool run) {
    if (run)
        trackerTimer.start();
    else
        trackerTimer.stop();
    return !run || trackerTimer.isActive();
}

void CMainWindow::ShowLiveVideo(bool on) {
    if (!on) {
        if (liveVideo) liveVideo->Freeze();
        UpdateActions();
        return;
    }
    if (!liveVideo) {
        liveVideo = new CLiveVideoWindow(frame->FgBoard(), this);
        liveVideo->setObjectName("liveVideo");
        liveVideo->setWindowFlag(Qt::Tool);
        liveVideo->resize(frame->FgBoard().ImageWidth(), frame->FgBoard().ImageHeight());
    }
    liveVideo->show();
    liveVideo->raise();
    liveVideo->Start();
    UpdateActions();
}

CGoToPositionLogic::EResult CMainWindow::GoToPosition(CGoToPositionLogic& logic,
                                                      CDVector4& target) {
    CGoToPositionDialog dialog(logic, this);
    dialog.exec();
    target = dialog.Target();
    return dialog.Result();
}

QPoint CMainWindow::ViewCentre() const {
    if (QMdiSubWindow* sub = mdiArea->activeSubWindow(); sub && sub->widget())
        return sub->widget()->mapToGlobal(sub->widget()->rect().center());
    return mdiArea->mapToGlobal(mdiArea->rect().center());
}

void CMainWindow::UpdateMemoryLoad() {
    if (CStationBusy::ClockWaiting()) return;
    std::string meminfo;
    if (!ReadWholeFile("/proc/meminfo", meminfo)) return;
    if (frame->UpdateMemoryLoad(meminfo)) controlBar->ShowMemoryLoad(ToQ(frame->MemoryLoadText()));
}

// ---- Window events -------------------------------------------------------------------------

void CMainWindow::closeEvent(QCloseEvent* event) {
    for (const auto& check : exitChecks)
        if (!check()) {
            event->ignore();
            return;
        }
    // Each modified document asks first; one that is kept open keeps the program running.
    mdiArea->closeAllSubWindows();
    if (!mdiArea->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    frame->EndMouseControl();
    frame->EnableKbdMouse(false);
    if (liveVideo) liveVideo->Freeze();
    event->accept();
}

void CMainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    for (const QUrl& url : urls)
        if (url.isLocalFile()) OpenDocumentFile(url.toLocalFile());
}
