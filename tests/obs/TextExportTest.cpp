// The text export: options word and settings lines, the whole file with its header lines,
// headings and row numbers, the command's file name, overwrite question and counter, the scan
// recursion, and the dialog's checks.

#include <gtest/gtest.h>

#include "obs/DataDocument.h"
#include "obs/ExportOptions.h"
#include "obs/IonObs.h"
#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/RawADObs.h"
#include "obs/ScanObs.h"
#include "obs/TextExport.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "settings/FileNumbering.h"
#include "settings/RootDirectory.h"
#include "support/TestEnv.h"

namespace {

using namespace ExportFlags;

class TextExportTest : public CVelmTest {
  protected:
    TextExportTest() {
        SetRootDirectory(dir.Path());
        profile.WriteProfileInt(kMainframeSection, "Next Export File", 12);
    }
    ~TextExportTest() override {
        SetTextExportDialog(nullptr);
        SetScanDocumentOpener(nullptr);
        SetDefineTimeRangeHook(nullptr);
    }

    static void AddCalibration(CDataDocument& d, int64_t at) {
        auto cal = std::make_unique<CWireCalibration>();
        cal->SetTime(at, 0);
        d.AddObs(std::move(cal));
    }
    static void AddPoint(CDataDocument& d, int64_t at, uint16_t ms, double xInPh) {
        auto obs = std::make_unique<CWireObs>();
        obs->SetTime(at, ms);
        obs->reading = CDVector4(xInPh, 0, 0, 0);
        d.AddObs(std::move(obs));
    }
    static void AddRawAD(CDataDocument& d, int64_t at) {
        auto raw = std::make_unique<CRawADObs>();
        raw->SetTime(at, 0);
        raw->values = {0.25};
        d.AddObs(std::move(raw));
    }
    // A calibration, CDP points at +1.5 s and +2 s, a raw A/D sample at +3 s, a CDP point at
    // +5 s.
    void FillDocument() {
        AddCalibration(doc, kTestEpoch);
        AddPoint(doc, kTestEpoch + 1, 500, 0.05);
        AddPoint(doc, kTestEpoch + 2, 0, 0.1);
        AddRawAD(doc, kTestEpoch + 3);
        AddPoint(doc, kTestEpoch + 5, 0, 0.0);
    }
    // Number label, seconds from the document's reference time, title and data, CDP points
    // and raw A/D samples, commas.
    static SExportOptions NumberedCommaOptions() {
        SExportOptions o;
        o.referenceTime = kTestEpoch;
        for (int* on :
             {&o.exportDIB, &o.exportIonCal, &o.exportIonPt, &o.exportIonRef, &o.exportIonSampRules,
              &o.exportLog, &o.exportScan, &o.exportContour, &o.exportVidSeq, &o.exportWireCal,
              &o.exportWireRef, &o.exportWireSampRules, &o.exportRawADSampRules})
            *on = 0;
        o.useData = 1;    // "Number label"
        o.useNumber = 1;  // "Data"
        o.useCalcs = 0;
        o.useProbePos = 0;
        o.exportTimeType = kTimeSeconds;
        o.exportDataType = kDataComma;
        return o;
    }
    std::string Export(const SExportOptions& options, const SExportRange& range = {}) {
        CStringSink sink;
        EXPECT_TRUE(WriteTextExport(doc, options, range, "/out/expor000.txt", sink));
        return sink.text;
    }

    CObsDoc doc;
};

const char kRows[] =
    "#,Sec_From,CurrentDensityObs,xInPh,xQuad,YInPh,YQuad,\n"
    "1,1.500000,CurrentDensityObs,1.000000,0.000000,0.000000,0.000000,\n"
    "2,2.000000,CurrentDensityObs,2.000000,0.000000,0.000000,0.000000,\n"
    "#,Sec_From,RawADObs,Ch4(V),\n"
    "3,3.000000,RawADObs,0.250000,\n"
    "4,5.000000,CurrentDensityObs,0.000000,0.000000,0.000000,0.000000,\n";

TEST_F(TextExportTest, OptionsWordTakesTheSwappedFieldNamesAndTheChosenTypes) {
    EXPECT_EQ(ExportOptionsWord(doc), kTitle | kDate | kTime | kProbePosition | kCalculations |
                                          kData | kTab | kMinutesFrom);
    SExportOptions o = ExportOptionsOf(doc);
    o.useData = 1;  // "Number label"
    o.useNumber = 0;
    EXPECT_EQ(ExportOptionsWord(o) & (kNumberLabel | kData), kNumberLabel);
    o.useConcentrations = true;
    o.exportDataType = kDataComma;
    o.exportTimeType = kTimeClock;
    EXPECT_EQ(ExportOptionsWord(o) & 0xFC01u, kConcentrations | kComma | kClockTime);
    o.exportTimeType = kTimeHours;
    EXPECT_EQ(ExportOptionsWord(o) & 0xF000u, kHoursFrom);
    o.exportTimeType = kTimeSeconds;
    EXPECT_EQ(ExportOptionsWord(o) & 0xF000u, kSecondsFrom);
    // Identifiers from a damaged file count as the defaults.
    o.exportTimeType = 7;
    o.exportDataType = 0;
    EXPECT_EQ(ExportOptionsWord(o) & 0xFC00u, kMinutesFrom | kTab);
}

TEST_F(TextExportTest, SettingsLinesAreWrittenAndReadInTheirOwnLayout) {
    doc.useData = 1;
    doc.useNumber = 0;
    doc.exportDataType = kDataComma;
    doc.exportContour = 0;
    SaveDataDocLines(doc, kScanDocSection);
    EXPECT_EQ(profile.GetProfileString(kScanDocSection, "DataDoc Line 2"),
              "useCalcs=1  useNumber=0  useData=1  useDate=1  useProbePos=1  useSampPos=0  "
              "useTime=1  useDescrip=1");
    EXPECT_EQ(profile.GetProfileString(kScanDocSection, "DataDoc Line 3"),
              "viewMode=32959  exportTimeType=1407  exportDataType=1398  includeHeader=1");
    EXPECT_EQ(profile.GetProfileString(kScanDocSection, "DataDoc Line 4"),
              "autoSave=0  numAutoSaveObs=10  updateView=1");

    SExportOptions o;
    LoadExportSettings(o, kScanDocSection);
    EXPECT_EQ(o.useData, 1);
    EXPECT_EQ(o.useNumber, 0);
    EXPECT_EQ(o.exportDataType, kDataComma);
    EXPECT_EQ(o.exportContour, 0);
    EXPECT_TRUE(prompt.shown.empty());
    // Missing lines leave the values alone.
    SExportOptions untouched;
    untouched.useCalcs = 0;
    LoadExportSettings(untouched, kObsDocSection);
    EXPECT_EQ(untouched.useCalcs, 0);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(TextExportTest, UnusableSettingsAreNamedAndTheirValuesKept) {
    profile.WriteProfileString(kObsDocSection, "DataDoc Line 2", "useCalcs=0  useNumber=x");
    profile.WriteProfileString(
        kObsDocSection, "DataDoc Line 3",
        "viewMode=32959  exportTimeType=77  exportDataType=1398  includeHeader=0");
    SExportOptions o;
    LoadExportSettings(o, kObsDocSection);
    EXPECT_EQ(o.useCalcs, 0);   // read before the damage
    EXPECT_EQ(o.useNumber, 1);  // kept
    EXPECT_EQ(o.exportTimeType, kTimeMinutes);
    EXPECT_EQ(o.exportDataType, kDataComma);
    EXPECT_EQ(o.includeHeader, 0);
    EXPECT_EQ(prompt.LastText(),
              "These export settings in velm.ini could not be used:\n"
              "  [Observation Document] DataDoc Line 2=useCalcs=0  useNumber=x\n"
              "  [Observation Document] DataDoc Line 3=viewMode=32959  exportTimeType=77  "
              "exportDataType=1398  "
              "includeHeader=0\n\n"
              "The document's own export options are used in their place.");
}

TEST_F(TextExportTest, WholeFileHasHeaderLinesOneHeadingPerClassAndRunningRowNumbers) {
    FillDocument();
    doc.SetPathName("/data/expt/notebook.vpo");
    SExportOptions o = NumberedCommaOptions();
    EXPECT_EQ(Export(o),
              std::string("Export Time: 12:00:00 on Wednesday, December 05, 2007\n"
                          "Data exported from file /data/expt/notebook.vpo to file "
                          "/out/expor000.txt (VELM Beta 0.3.0.0)\n"
                          "Observations from 12:00:00 on Wednesday, December 05, 2007  to "
                          "12:00:05 on Wednesday, December 05, 2007\n\n") +
                  kRows);

    o.includeHeader = 0;
    EXPECT_EQ(Export(o), kRows);
    // A fixed range: skip what is earlier, stop at what is later.
    SExportRange range{false, kTestEpoch + 2, kTestEpoch + 3};
    EXPECT_EQ(Export(o, range),
              "#,Sec_From,CurrentDensityObs,xInPh,xQuad,YInPh,YQuad,\n"
              "1,2.000000,CurrentDensityObs,2.000000,0.000000,0.000000,0.000000,\n"
              "#,Sec_From,RawADObs,Ch4(V),\n"
              "2,3.000000,RawADObs,0.250000,\n");
    o.includeHeader = 1;
    EXPECT_NE(Export(o, range).find("Observations from 12:00:02 on Wednesday, December 05, 2007  "
                                    "to 12:00:03 on Wednesday, December 05, 2007\n\n"),
              std::string::npos);

    profile.WriteProfileInt(kObsDocSection, "Export Headings", 0);
    o.includeHeader = 0;
    o.useData = 0;
    EXPECT_EQ(Export(o),
              "1.500000,CurrentDensityObs,1.000000,0.000000,0.000000,0.000000,\n"
              "2.000000,CurrentDensityObs,2.000000,0.000000,0.000000,0.000000,\n"
              "3.000000,RawADObs,0.250000,\n"
              "5.000000,CurrentDensityObs,0.000000,0.000000,0.000000,0.000000,\n");
}

TEST_F(TextExportTest, HeadingsArePerProbeNumberForRawADAndBurstsAddTheirBlock) {
    AddRawAD(doc, kTestEpoch + 1);
    auto burst = std::make_unique<CRawADObs>();
    burst->SetTime(kTestEpoch + 2, 0);
    burst->index = 2;
    burst->rules.average = 0;
    burst->rules.BurstNum = 2;
    burst->values = {1.5, 2.5};
    doc.AddObs(std::move(burst));
    AddRawAD(doc, kTestEpoch + 3);
    SExportOptions o = NumberedCommaOptions();
    o.includeHeader = 0;
    o.useTime = 0;
    EXPECT_EQ(Export(o),
              "#,RawADObs,Ch4(V),\n"
              "1,RawADObs,0.250000,\n"
              "#,RawADObs2,\n"
              "2,RawADObs2,\n"
              "Ch4,\n1.500000,\n2.500000,\n"
              "3,RawADObs,0.250000,\n");
}

TEST_F(TextExportTest, ARawADHeadingIsWrittenAgainWheneverItsColumnsChange) {
    auto add = [this](int64_t at, int first, int last) {
        auto raw = std::make_unique<CRawADObs>();
        raw->SetTime(at, 0);
        raw->rules.FirstChan = first;
        raw->rules.LastChan = last;
        raw->values.assign(static_cast<size_t>(last - first + 1), 0.5);
        doc.AddObs(std::move(raw));
    };
    add(kTestEpoch + 1, 4, 4);
    add(kTestEpoch + 2, 4, 4);
    add(kTestEpoch + 3, 4, 5);  // the channel range was widened
    add(kTestEpoch + 4, 4, 4);  // and narrowed again
    SExportOptions o = NumberedCommaOptions();
    o.includeHeader = 0;
    o.useTime = 0;
    EXPECT_EQ(Export(o),
              "#,RawADObs,Ch4(V),\n"
              "1,RawADObs,0.500000,\n"
              "2,RawADObs,0.500000,\n"
              "#,RawADObs,Ch4(V),Ch5(V),\n"
              "3,RawADObs,0.500000,0.500000,\n"
              "#,RawADObs,Ch4(V),\n"
              "4,RawADObs,0.500000,\n");
}

TEST_F(TextExportTest, GradientHeadingsArePerProbeNameAndNumber) {
    int64_t at = kTestEpoch;
    for (auto [name, index] : {std::pair{"K+", 1}, std::pair{"K+", 2}, std::pair{"Na+", 1},
                               std::pair{"K+", 1}, std::pair{"Na+", 1}}) {
        auto obs = std::make_unique<CIonObs>();
        obs->SetTime(++at, 0);
        obs->name = name;
        obs->index = static_cast<uint16_t>(index);
        doc.AddObs(std::move(obs));
    }
    SExportOptions o = NumberedCommaOptions();
    o.includeHeader = 0;
    o.useTime = 0;
    o.useNumber = 0;
    o.exportIonPt = 1;
    EXPECT_EQ(Export(o),
              "#,K+Gradient1,\n1,K+Gradient1,\n"
              "#,K+Gradient2,\n2,K+Gradient2,\n"
              "#,Na+Gradient1,\n3,Na+Gradient1,\n"
              "4,K+Gradient1,\n5,Na+Gradient1,\n");
}

// ---- The command ------------------------------------------------------------------------------

class TextExportCommandTest : public TextExportTest {
  protected:
    // The dialog: records what it was shown, applies `edit`, answers `ok`.
    void InstallDialog(bool ok, std::function<void(CTextExportLogic&)> edit = nullptr) {
        SetTextExportDialog([this, ok, edit](CTextExportLogic& logic) {
            shownPath = logic.outputPath;
            shownOptions = logic.options;
            if (edit) edit(logic);
            return ok;
        });
    }
    std::string shownPath;
    SExportOptions shownOptions;
};

TEST_F(TextExportCommandTest, ProposesTheNumberedFileWritesItAndRecordsTheExport) {
    FillDocument();
    clock.Advance(60 * 1000);  // the log entry comes after the observations
    const size_t before = doc.GetObsCount();
    InstallDialog(false);
    EXPECT_FALSE(TextExportCommand(doc, kObsDocSection));
    const std::string path = dir.File("expor012.txt");
    EXPECT_EQ(shownPath, path);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(GetNextExportFileNumber(), 12);
    EXPECT_EQ(doc.GetObsCount(), before);
    EXPECT_EQ(profile.GetProfileString(kObsDocSection, "DataDoc Line 3"), "");

    InstallDialog(true, [](CTextExportLogic& logic) {
        logic.options = NumberedCommaOptions();
        logic.options.includeHeader = 0;
    });
    EXPECT_TRUE(TextExportCommand(doc, kObsDocSection));
    EXPECT_EQ(ReadFileText(path), kRows);
    EXPECT_EQ(GetNextExportFileNumber(), 13);
    ASSERT_EQ(doc.GetObsCount(), before + 1);
    auto* log = dynamic_cast<CLogEntry*>(doc.Observations().back().get());
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->text, "Export to file " + path + " complete.");
    // The dialog's choices are the document's and the settings' from now on.
    EXPECT_EQ(doc.exportDataType, kDataComma);
    EXPECT_EQ(doc.useData, 1);
    EXPECT_EQ(doc.exportWireCal, 0);
    EXPECT_EQ(profile.GetProfileString(kObsDocSection, "DataDoc Line 3"),
              "viewMode=32959  exportTimeType=1408  exportDataType=1398  includeHeader=0");
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(TextExportCommandTest, RowsCountFromTheReferenceTimeTypedInTheDialog) {
    FillDocument();
    ASSERT_EQ(doc.referenceTime, kTestEpoch);
    InstallDialog(true, [](CTextExportLogic& logic) {
        logic.options = NumberedCommaOptions();
        logic.options.includeHeader = 0;
        logic.options.exportRawAD = 0;
        // 11:59:58, two seconds before the document's own reference time.
        logic.hour = "11";
        logic.minute = "59";
        logic.second = "58";
        ASSERT_TRUE(logic.Ok());
    });
    ASSERT_TRUE(TextExportCommand(doc, kObsDocSection));
    EXPECT_EQ(ReadFileText(dir.File("expor012.txt")),
              "#,Sec_From,CurrentDensityObs,xInPh,xQuad,YInPh,YQuad,\n"
              "1,3.500000,CurrentDensityObs,1.000000,0.000000,0.000000,0.000000,\n"
              "2,4.000000,CurrentDensityObs,2.000000,0.000000,0.000000,0.000000,\n"
              "3,7.000000,CurrentDensityObs,0.000000,0.000000,0.000000,0.000000,\n");
    // The document keeps the reference for its next export.
    EXPECT_EQ(doc.referenceTime, kTestEpoch - 2);
}

TEST_F(TextExportCommandTest, AnExistingFileIsOverwrittenOnlyOnYesAndNoMovesTheCounterOn) {
    FillDocument();
    const std::string path = dir.File("expor012.txt");
    WriteFileText(path, "older export");
    InstallDialog(true);
    const std::string question = "File " + path + " already exists - overwrite for export ?";

    prompt.answers = {EPromptAnswer::Cancel};
    EXPECT_FALSE(TextExportCommand(doc, kObsDocSection));
    EXPECT_EQ(prompt.LastText(), question);
    EXPECT_EQ(prompt.shown.back().buttons, EPromptButtons::YesNoCancel);
    EXPECT_EQ(GetNextExportFileNumber(), 12);

    prompt.answers = {EPromptAnswer::No};
    EXPECT_FALSE(TextExportCommand(doc, kObsDocSection));
    EXPECT_EQ(prompt.LastText(), "Export file number incremented - try export again.");
    EXPECT_EQ(GetNextExportFileNumber(), 13);
    EXPECT_EQ(ReadFileText(path), "older export");
    EXPECT_EQ(dynamic_cast<CLogEntry*>(doc.Observations().back().get()), nullptr);

    // The next export proposes the next number.
    InstallDialog(false);
    TextExportCommand(doc, kObsDocSection);
    EXPECT_EQ(shownPath, dir.File("expor013.txt"));

    InstallDialog(true, [&](CTextExportLogic& logic) { logic.outputPath = path; });
    prompt.answers = {EPromptAnswer::Yes};
    EXPECT_TRUE(TextExportCommand(doc, kObsDocSection));
    EXPECT_NE(ReadFileText(path), "older export");
    EXPECT_EQ(GetNextExportFileNumber(), 14);
}

TEST_F(TextExportCommandTest, AFolderThatCannotBeWrittenChangesNothingButTheCounter) {
    FillDocument();
    const size_t before = doc.GetObsCount();
    const std::string path = dir.File("missing/expor.txt");
    InstallDialog(true, [&](CTextExportLogic& logic) {
        logic.outputPath = path;
        logic.options.exportDataType = kDataComma;
    });
    EXPECT_FALSE(TextExportCommand(doc, kObsDocSection));
    EXPECT_EQ(prompt.Texts(),
              std::vector<std::string>{"Unable to open file " + path + " for export."});
    EXPECT_EQ(GetNextExportFileNumber(), 13);
    EXPECT_EQ(doc.GetObsCount(), before);
    EXPECT_EQ(doc.exportDataType, kDataTab);
    EXPECT_EQ(profile.GetProfileString(kObsDocSection, "DataDoc Line 3"), "");
}

TEST_F(TextExportCommandTest, OptionsComeFromTheSettingsOfTheDocumentsKind) {
    profile.WriteProfileString(
        kScanDocSection, "DataDoc Line 3",
        "viewMode=32931  exportTimeType=1405  exportDataType=1398  includeHeader=0");
    doc.viewMode = kViewAll;
    InstallDialog(false);
    TextExportCommand(doc, kScanDocSection);
    EXPECT_EQ(shownOptions.exportTimeType, kTimeClock);
    EXPECT_EQ(shownOptions.exportDataType, kDataComma);
    EXPECT_EQ(shownOptions.includeHeader, 0);
    // Cancelled: the document keeps its own, and the view filter on that line is the window's.
    EXPECT_EQ(doc.exportTimeType, kTimeMinutes);
    EXPECT_EQ(doc.viewMode, kViewAll);
    TextExportCommand(doc, kObsDocSection);
    EXPECT_EQ(shownOptions.exportTimeType, kTimeMinutes);
}

// ---- Scan documents -----------------------------------------------------------------------------

class ScanExportTest : public TextExportTest {
  protected:
    // Opens scan files as plain data documents (their observation list is what is exported).
    void InstallOpener() {
        SetScanDocumentOpener([this](const std::string& path) -> std::unique_ptr<CDataDocument> {
            opened.push_back(path);
            auto scanDoc = std::make_unique<CDataDocument>();
            if (!scanDoc->OnOpenDocument(path)) return nullptr;
            return scanDoc;
        });
    }
    void AddScan(CDataDocument& d, int64_t at, const std::string& file) {
        auto scan = std::make_unique<CScanObs>();
        scan->SetTime(at, 0);
        scan->fileName = file;
        d.AddObs(std::move(scan));
    }
    std::vector<std::string> opened;
};

TEST_F(ScanExportTest, AScanObservationIsFollowedByItsScanDocumentsRows) {
    CDataDocument scanDoc;
    AddCalibration(scanDoc, kTestEpoch);
    AddPoint(scanDoc, kTestEpoch + 10, 0, 0.1);
    AddPoint(scanDoc, kTestEpoch + 11, 0, 0.15);
    std::string message;
    ASSERT_TRUE(scanDoc.SaveFile(dir.File("scan001.scn"), message));

    AddCalibration(doc, kTestEpoch);
    AddPoint(doc, kTestEpoch + 1, 0, 0.05);
    // Stored on another station: found beside the document.
    AddScan(doc, kTestEpoch + 12, "C:\\VELM\\071205\\scan001.scn");
    AddPoint(doc, kTestEpoch + 13, 0, 0.0);
    AddScan(doc, kTestEpoch + 14, "/nowhere/scan002.scn");
    doc.SetPathName(dir.File("notebook.vpo"));

    SExportOptions o = NumberedCommaOptions();
    o.includeHeader = 0;
    o.useTime = 0;
    o.exportScan = 1;
    // Without a way to open scan documents the scan writes its own row only.
    const std::string rowsOnly = Export(o);
    EXPECT_NE(rowsOnly.find("2,ScanObs,C:\\VELM\\071205\\scan001.scn,\n3,Current"),
              std::string::npos);
    EXPECT_TRUE(prompt.shown.empty());

    InstallOpener();
    EXPECT_EQ(Export(o),
              "#,CurrentDensityObs,xInPh,xQuad,YInPh,YQuad,\n"
              "1,CurrentDensityObs,1.000000,0.000000,0.000000,0.000000,\n"
              "#,ScanObs,Filename,\n"
              "2,ScanObs,C:\\VELM\\071205\\scan001.scn,\n"
              "3,CurrentDensityObs,2.000000,0.000000,0.000000,0.000000,\n"
              "4,CurrentDensityObs,3.000000,0.000000,0.000000,0.000000,\n"
              "5,CurrentDensityObs,0.000000,0.000000,0.000000,0.000000,\n"
              "6,ScanObs,/nowhere/scan002.scn,\n");
    EXPECT_EQ(opened, std::vector<std::string>{dir.File("scan001.scn")});
    EXPECT_EQ(prompt.LastText(), "File /nowhere/scan002.scn not found - not exporting.");
}

TEST_F(ScanExportTest, AScanFileThatNamesItselfIsExportedOnce) {
    CDataDocument scanDoc;
    AddPoint(scanDoc, kTestEpoch + 10, 0, 0.1);
    AddScan(scanDoc, kTestEpoch + 11, dir.File("loop.scn"));
    std::string message;
    ASSERT_TRUE(scanDoc.SaveFile(dir.File("loop.scn"), message));
    AddScan(doc, kTestEpoch + 12, dir.File("loop.scn"));
    InstallOpener();
    SExportOptions o = NumberedCommaOptions();
    o.includeHeader = 0;
    o.useTime = 0;
    o.exportScan = 1;
    o.useNumber = 0;
    profile.WriteProfileInt(kObsDocSection, "Export Headings", 0);
    EXPECT_EQ(Export(o), "1,ScanObs,\n2,CurrentDensityObs,\n3,ScanObs,\n");
    EXPECT_EQ(opened.size(), 1u);
}

// ---- The dialog's working values ------------------------------------------------------------

TEST_F(TextExportTest, DialogReferenceTimeIsCheckedAndTaken) {
    CTextExportLogic logic(doc, ExportOptionsOf(doc), "/out/x.txt");
    EXPECT_EQ(logic.month + "/" + logic.day + "/" + logic.year + " " + logic.hour + ":" +
                  logic.minute + ":" + logic.second,
              "12/5/2007 12:0:0");
    logic.hour = "13";
    logic.second = " 30 ";
    ASSERT_TRUE(logic.Ok());
    EXPECT_EQ(logic.options.referenceTime, kTestEpoch + 3630);
    logic.Midnight();
    ASSERT_TRUE(logic.Ok());
    EXPECT_EQ(logic.options.referenceTime, kTestEpoch - 12 * 3600);

    logic.month = "13";
    EXPECT_FALSE(logic.Ok());
    EXPECT_EQ(prompt.LastText(), "\"Month\" must be a whole number from 1 to 12.");
    EXPECT_EQ(prompt.shown.back().caption, "Export Observations To Text File");
    logic.second = "99999999999999";
    logic.month = "12";
    EXPECT_FALSE(logic.Ok());
    EXPECT_EQ(prompt.LastText(), "\"Sec\" must be a whole number from 0 to 59.");
    logic.second = "0";
    logic.month = "2";
    logic.day = "30";
    EXPECT_FALSE(logic.Ok());
    EXPECT_EQ(prompt.LastText(), "02/30/2007 00:00:00 is not a time of the local calendar.");
    logic.day = "28";
    logic.outputPath = "  ";
    EXPECT_FALSE(logic.Ok());
    EXPECT_EQ(prompt.LastText(), "Enter the name of the file to export to.");
}

TEST_F(TextExportTest, DialogTimeRangeViewerChoiceAndProbeNames) {
    FillDocument();
    CTextExportLogic logic(doc, ExportOptionsOf(doc), "/out/x.txt");
    EXPECT_TRUE(logic.range.all);
    EXPECT_EQ(logic.RangeText(), "12/05/07 12:00:00 to 12/05/07 12:00:05");
    // Without the "Define Time Range" dialog nothing changes.
    EXPECT_FALSE(logic.ObservationsFrom());
    SetDefineTimeRangeHook([](int64_t& start, int64_t& end) {
        EXPECT_EQ(start, kTestEpoch);
        EXPECT_EQ(end, kTestEpoch + 5);
        start += 60;
        end += 3600;
        return true;
    });
    EXPECT_TRUE(logic.ObservationsFrom());
    EXPECT_FALSE(logic.range.all);
    EXPECT_EQ(logic.RangeText(), "12/05/07 12:01:00 to 12/05/07 13:00:05");

    doc.viewMode = kViewLatestHalfHour;
    CTextExportLogic recent(doc, ExportOptionsOf(doc), "/out/x.txt");
    EXPECT_EQ(recent.RangeText(), "12/05/07 11:30:00 to 12/05/07 12:00:00");

    logic.SetForViewer();
    EXPECT_EQ(ExportOptionsWord(logic.options), kNumberLabel | kData | kTitle | kTime |
                                                    kProbePosition | kCalculations | kTab |
                                                    kSecondsFrom);
    EXPECT_EQ(logic.options.includeHeader, 0);
}

}  // namespace
