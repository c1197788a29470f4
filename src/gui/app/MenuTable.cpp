#include "gui/app/MenuTable.h"

#include <map>

namespace {
const SMenuItem kSeparator{};

SMenuItem Item(const char* text, const char* name, const char* shortcut = "") {
    return SMenuItem{text, shortcut, name, {}, false};
}
SMenuItem Check(const char* text, const char* name, const char* shortcut = "") {
    return SMenuItem{text, shortcut, name, {}, true};
}
SMenuItem Menu(const char* text, const char* name, std::vector<SMenuItem> items) {
    return SMenuItem{text, "", name, std::move(items), false};
}

// File menu of a document type: `extra` goes between Save As and printing.
SMenuItem FileMenu(bool canSave, std::vector<SMenuItem> extra) {
    std::vector<SMenuItem> items = {Item("&New", "fileNew", "Ctrl+N"),
                                    Item("&Open...", "fileOpen", "Ctrl+O"),
                                    Item("&Close", "fileClose")};
    if (canSave) {
        items.push_back(Item("&Save", "fileSave", "Ctrl+S"));
        items.push_back(Item("Save &As...", "fileSaveAs"));
    }
    if (!extra.empty()) {
        items.push_back(kSeparator);
        for (SMenuItem& e : extra)
            items.push_back(std::move(e));
    }
    for (SMenuItem e :
         {kSeparator, Item("&Print...", "filePrint", "Ctrl+P"),
          Item("Print Pre&view", "filePrintPreview"), Item("P&rint Setup...", "filePrintSetup"),
          kSeparator, Item("Roo&t Directory", "fileRootDirectory"),
          Item("Default Fil&enames", "fileDefaultFilenames"), kSeparator,
          Item("Recent File", kRecentFilesAnchor), kSeparator, Item("E&xit", "fileExit", "Ctrl+Q")})
        items.push_back(std::move(e));
    return Menu("&File", "fileMenu", std::move(items));
}

SMenuItem ViewMenu(std::vector<SMenuItem> extra) {
    std::vector<SMenuItem> items = {Check("&Toolbar", "viewToolbar"),
                                    Check("&Status Bar", "viewStatusBar"),
                                    Check("&Etch/Rinse Control", "viewEtchRinse")};
    if (!extra.empty()) {
        items.push_back(kSeparator);
        for (SMenuItem& e : extra)
            items.push_back(std::move(e));
    }
    return Menu("&View", "viewMenu", std::move(items));
}

// The list filters shared by the data documents (observation and scan).
std::vector<SMenuItem> ListFilters() {
    return {Menu("Time &Range", "viewTimeRange",
                 {Check("Latest &Half Hour", "viewLatestHalfHour"),
                  Check("&Fixed ...", "viewFixedRange"), Check("&All", "viewAllTimes")}),
            Menu("&Details", "viewDetails",
                 {Check("&Date", "detailsDate"), Check("&Time", "detailsTime"),
                  Check("T&ype", "detailsType"), Check("&Probe Position", "detailsProbePosition"),
                  Check("&Sample Position", "detailsSamplePosition"),
                  Check("&Information", "detailsInformation"),
                  Check("&Calculations", "detailsCalculations"), kSeparator,
                  Item("&All", "detailsAll")}),
            Menu("T&ype", "viewType",
                 {Item("CDP &Point", "typeCdpPoint"), Item("CDP &Reference", "typeCdpReference"),
                  Item("CDP &Calibration", "typeCdpCalibration"),
                  Item("ISP/PVP P&oint", "typeIspPvpPoint"),
                  Item("ISP/PVP R&eference", "typeIspPvpReference"),
                  Item("ISP/PVP C&alibration", "typeIspPvpCalibration"), Item("&Scan", "typeScan"),
                  Item("&Image", "typeImage"), Item("&Log Entry", "typeLogEntry"),
                  Item("A&ll", "typeAll")})};
}

SMenuItem VideoMenu() {
    return Menu("&Video", "videoMenu",
                {Item("&Live", "videoLive"), Item("&Freeze", "videoFreeze"),
                 Item("&Grab Image to File", "videoGrabImage"), kSeparator,
                 Item("&Adjust Input Signal", "videoAdjustInput"),
                 Item("LU&T Select/Modify", "videoLut"), kSeparator,
                 Item("Show &Origin", "videoShowOrigin"), Item("&Zero Origin", "videoZeroOrigin")});
}

SMenuItem SystemMenu() {
    return Menu(
        "&System", "systemMenu",
        {Menu("&A/D Board", "systemAdBoard",
              {Item("&Setup", "systemAdSetup"), Item("&Test", "systemAdTest")}),
         Menu("&Frame Grabber", "systemFrameGrabber",
              {Item("&Setup", "systemFgSetup"), Item("&Test", "systemFgTest")}),
         Menu("&Motion System", "systemMotion",
              {Menu("&Setup", "systemMotionSetup",
                    {Item("&Probe", "systemMotionProbe"), Item("&Sample", "systemMotionSample"),
                     Item("&ISP/PVP Tip", "systemMotionTip")}),
               Item("&Test", "systemMotionTest")}),
         Item("&Optical System ...", "systemOpticalSystem"),
         // Shown only while the A/D board is the Simulated Station.
         Item("Si&mulated Station...", "systemSimStation")});
}

SMenuItem WindowMenu() {
    return Menu("&Window", "windowMenu",
                {Item("&Cascade", "windowCascade"), Item("&Tile", "windowTile"),
                 Item("&Arrange Icons", "windowArrange"), Item("Close A&ll", "windowCloseAll"),
                 kSeparator, Item("Windows", kWindowListAnchor)});
}

SMenuItem HelpMenu() {
    return Menu("&Help", "helpMenu",
                {Item("&Index", "helpIndex", "F1"), Item("&Using Help", "helpUsing"), kSeparator,
                 Item("&About VELM...", "helpAbout")});
}

std::map<int, std::vector<SMenuItem>> BuildMenuBars() {
    std::map<int, std::vector<SMenuItem>> bars;
    bars[kMainFrameMenuSet] = {
        Menu("&File", "fileMenu",
             {Item("&New", "fileNew", "Ctrl+N"), Item("&Open...", "fileOpen", "Ctrl+O"), kSeparator,
              Item("Roo&t Directory", "fileRootDirectory"),
              Item("Default Fil&enames", "fileDefaultFilenames"), kSeparator,
              Item("P&rint Setup...", "filePrintSetup"), kSeparator,
              Item("Recent File", kRecentFilesAnchor), kSeparator,
              Item("E&xit", "fileExit", "Ctrl+Q")}),
        SystemMenu(), ViewMenu({}), HelpMenu()};

    // Observation documents: the Technique menu is the fourth.
    bars[4] = {
        FileMenu(true, {Check("Au&tosave ...", "fileAutosave"),
                        Item("&Text Export", "fileTextExport", "F12"),
                        Item("&Surface Export", "fileSurfaceExport", "Shift+F12"),
                        Item("&Mage Export", "fileMageExport", "Ctrl+F12"),
                        Item("&Open With ...", "fileOpenWith")}),
        Menu("&Edit", "editMenu",
             {Item("&Log Entry", "editLogEntry", "F2"), kSeparator,
              Item("&Hide Obs", "editHideObs", "Del"), Item("Sh&ow Obs", "editShowObs", "Space")}),
        ViewMenu(ListFilters()),
        Menu("&Technique", kTechniqueMenu,
             {Check("C&urrent Density", "techniqueCurrentDensity"),
              Menu("&ISP/PVP", kIspPvpMenu, {}), Check("&Raw A/D", "techniqueRawAD"),
              Check("&Interest Point", "techniqueInterestPoint"), kSeparator,
              Item("&Calibration...", "techniqueCalibration", "F7"),
              Item("&Sampling ...", "techniqueSampling", "F6"), kSeparator,
              Item("Set &D/A Output", "techniqueSetDaOutput", "Ctrl+F3"),
              Item("Set &Resistivity", "techniqueSetResistivity", "Ctrl+F7")}),
        Menu("&Mode", "modeMenu",
             {Item("&Point", "modePoint", "F5"), Item("&Reference", "modeReference", "Shift+F5"),
              Item("&Watch", "modeWatch", "F8"), kSeparator,
              Item("&Grid Scan", "modeGridScan", "F9"),
              Item("&Vector Scan", "modeVectorScan", "F10"),
              Item("&D/A Output Scan", "modeDaOutputScan", "F3"),
              Item("Video &Sequence", "modeImageSequence"), kSeparator,
              Item("&Display", "modeDisplay", "F11"),
              Item("&Add To Display", "modeAddToDisplay", "Ctrl+F11")}),
        VideoMenu(),
        SystemMenu(),
        WindowMenu(),
        HelpMenu()};

    bars[6] = {
        FileMenu(true, {Item("&Text Export", "fileTextExport", "F12"),
                        Item("&Surface Export", "fileSurfaceExport", "Shift+F12"),
                        Item("&Open With ...", "fileOpenWith")}),
        Menu("&Edit", "editMenu",
             {Item("&Hide Obs", "editHideObs", "Del"), Item("Sh&ow Obs", "editShowObs", "Space")}),
        ViewMenu(ListFilters()),
        Menu("&Scan", "scanMenu",
             {Item("&Review", "scanReview"), Item("&Interrupt", "scanInterrupt"), kSeparator,
              Item("Show A&rea on Image", "scanShowArea", "Shift+F9"),
              Item("&Display", "scanDisplay", "F11"),
              Item("&Add To Display", "scanAddToDisplay", "Ctrl+F11")}),
        VideoMenu(),
        SystemMenu(),
        WindowMenu(),
        HelpMenu()};

    bars[3] = {
        FileMenu(true, {}),
        Menu("&Edit", "editMenu", {Item("&Copy", "displayCopy", "Ctrl+C")}),
        ViewMenu({}),
        Menu("&Layer", "layerMenu",
             {Item("Raise &Up", "layerRaiseUp"), Item("Send &Down", "layerSendDown"),
              Item("To &Top", "layerToTop"), Item("To &Bottom", "layerToBottom"), kSeparator,
              Item("&New", "layerNew"), Item("&Delete", "layerDelete"), kSeparator,
              Item("T&ile Graphs", "layerTileGraphs")}),
        Menu("&Display", "displayMenu",
             {Item("&Window Size", "displayWindowSize"), Item("E&xport as DIB", "displayExportDib"),
              Item("Export as &PNG ...", "displayExportPng"),
              Item("Export as &SVG ...", "displayExportSvg")}),
        VideoMenu(),
        SystemMenu(),
        WindowMenu(),
        HelpMenu()};

    bars[5] = {
        FileMenu(true, {}),
        Menu("&Edit", "editMenu",
             {Item("&Copy", "imageCopy", "Ctrl+C"), Item("&Paste", "imagePaste", "Ctrl+V")}),
        ViewMenu({Check("&Fit to Window", "imageFitToWindow")}),
        Menu("&Image", "imageMenu",
             {Item("&Update", "imageUpdate"), Item("&Adjust Input Signal", "imageAdjustInput")}),
        VideoMenu(),
        SystemMenu(),
        WindowMenu(),
        HelpMenu()};

    bars[7] = {FileMenu(true, {}),
               ViewMenu({}),
               Menu("&Sequence", "sequenceMenu",
                    {Item("S&plit", "sequenceSplit"), Item("&Join", "sequenceJoin")}),
               VideoMenu(),
               SystemMenu(),
               WindowMenu(),
               HelpMenu()};
    return bars;
}
}  // namespace

const std::vector<SMenuItem>& MenuBar(int menuSet) {
    static const std::map<int, std::vector<SMenuItem>> bars = BuildMenuBars();
    auto it = bars.find(menuSet);
    return it != bars.end() ? it->second : bars.at(kMainFrameMenuSet);
}
