// The surface export (definition kept in the document, plain and matrix files, which
// observations give values, scans, the command and its messages) and the Mage export dialog,
// which keeps and writes nothing.

#include <gtest/gtest.h>

#include <cerrno>

#include "obs/DataDocument.h"
#include "obs/IonObs.h"
#include "obs/LogEntry.h"
#include "obs/MageExport.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesIon.h"
#include "obs/ScanObs.h"
#include "obs/SurfaceExport.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "platform/RunProgram.h"
#include "settings/FileNumbering.h"
#include "settings/RootDirectory.h"
#include "support/TestEnv.h"

namespace {

class SurfaceExportTest : public CVelmTest {
  protected:
    SurfaceExportTest() {
        SetRootDirectory(dir.Path());
        profile.WriteProfileInt(kMainframeSection, "Next Export File", 7);
    }
    ~SurfaceExportTest() override {
        SetSurfaceExportDialog(nullptr);
        SetMageExportDialog(nullptr);
        SetScanDocumentOpener(nullptr);
    }

    // A calibration whose X and Y current densities are the X and Y quadrature differences.
    static void AddCalibration(CDataDocument& d, int64_t at) {
        auto cal = std::make_unique<CWireCalibration>();
        cal->SetTime(at, 0);
        cal->XXuAperV = cal->YYuAperV = 100.0 * 50000.0;
        d.AddObs(std::move(cal));
    }
    // A CDP point at (x, y) whose total current density is 0.5 * k.
    static void AddPoint(CDataDocument& d, int64_t at, double x, double y, int k) {
        auto obs = std::make_unique<CWireObs>();
        obs->SetTime(at, 0);
        obs->probePosition = CDVector4(x, y, 5, 0);
        obs->samplePosition = CDVector4(-x, 2 * y, 0, 0);
        obs->reading = CDVector4(0, 0.3 * k, 0, 0.4 * k);
        d.AddObs(std::move(obs));
    }
    // Two rows of three points; the second row's Y wavers by less than 0.01.
    void FillGrid() {
        AddCalibration(doc, kTestEpoch);
        const double ys[] = {0, 0, 0, 10.005, 10.004, 10.0};
        for (int i = 0; i < 6; ++i)
            AddPoint(doc, kTestEpoch + 1 + i, i % 3 * 10.0, ys[i], i + 1);
    }
    std::string Write(const SSurfaceDefinition& d, const SExportRange& range = {}) {
        CStringSink sink;
        EXPECT_TRUE(WriteSurfaceExport(doc, d, range, sink));
        return sink.text;
    }

    CDataDocument doc;
};

TEST_F(SurfaceExportTest, DefinitionIsKeptInTheDocumentsTwelveWords) {
    const SSurfaceDefinition fresh = SurfaceDefinitionOf(doc);
    EXPECT_EQ(fresh.xValue, 1734);
    EXPECT_EQ(fresh.yValue, 1744);
    EXPECT_EQ(fresh.quantity, 1177);
    EXPECT_FALSE(fresh.matrix);
    EXPECT_TRUE(fresh.applyReference);
    EXPECT_EQ(fresh.channel, 4);

    SSurfaceDefinition d;
    d.xValue = 1738;
    d.yValue = 1745;
    d.quantity = 1186;
    d.matrix = true;
    d.applyReference = false;
    d.sampleNumber = 3;
    d.gradFrom = 2;
    d.gradTo = 4;
    d.repFirst = 2;
    d.repLast = 5;
    d.channel = 0;
    d.probe = 1;
    d.positionOf = 1030;
    StoreSurfaceDefinition(doc, d);
    EXPECT_TRUE(doc.IsModified());
    const uint16_t expected[12] = {1738, 1745, 1186, 1, 3, 2, 4, 2, 5, 0, 1, 1030};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), doc.surfaceExport));
    const SSurfaceDefinition back = SurfaceDefinitionOf(doc);
    EXPECT_EQ(back.xValue, 1738);
    EXPECT_EQ(back.quantity, 1186);
    EXPECT_TRUE(back.matrix);
    EXPECT_FALSE(back.applyReference);
    EXPECT_EQ(back.channel, 0);
    EXPECT_EQ(back.positionOf, 1030);
    // Storing the same definition again does not touch the document.
    doc.SetModifiedFlag(false);
    StoreSurfaceDefinition(doc, back);
    EXPECT_FALSE(doc.IsModified());

    // Words that hold none of their values read as the defaults.
    const uint16_t damaged[12] = {5, 9, 1300, 0xFF, 0, 0, 40000, 0, 0, 0xFFFF, 0, 7};
    std::copy(std::begin(damaged), std::end(damaged), doc.surfaceExport);
    const SSurfaceDefinition read = SurfaceDefinitionOf(doc);
    EXPECT_EQ(read.xValue, 1734);
    EXPECT_EQ(read.yValue, 1744);
    EXPECT_EQ(read.quantity, 1177);
    EXPECT_TRUE(read.matrix);
    EXPECT_EQ(read.sampleNumber, 1);
    EXPECT_EQ(read.gradTo, 2);
    EXPECT_EQ(read.channel, 4);
    EXPECT_EQ(read.positionOf, 1029);
}

TEST_F(SurfaceExportTest, PlainAndMatrixForms) {
    FillGrid();
    SSurfaceDefinition d;
    EXPECT_EQ(Write(d),
              "0.000000\t0.000000\t0.500000\n"
              "10.000000\t0.000000\t1.000000\n"
              "20.000000\t0.000000\t1.500000\n"
              "0.000000\t10.005000\t2.000000\n"
              "10.000000\t10.004000\t2.500000\n"
              "20.000000\t10.000000\t3.000000\n");
    d.matrix = true;
    EXPECT_EQ(Write(d), "0.500000\t1.000000\t1.500000\t\n2.000000\t2.500000\t3.000000\t\n");

    // Other components, the sample stage, another quantity, a time range.
    d.matrix = false;
    d.xValue = 1736;    // Z
    d.yValue = 1743;    // X
    d.quantity = 1180;  // X quadrature in microvolts at the tip
    EXPECT_EQ(Write(d, SExportRange{false, kTestEpoch + 2, kTestEpoch + 3}),
              "5.000000\t10.000000\t12.000000\n5.000000\t20.000000\t18.000000\n");
    d.positionOf = 1030;
    d.xValue = 1737;  // Y
    EXPECT_EQ(Write(d, SExportRange{false, kTestEpoch + 2, kTestEpoch + 2}),
              "0.000000\t-10.000000\t12.000000\n");
    // An empty matrix still ends its (empty) line.
    d.matrix = true;
    EXPECT_EQ(Write(d, SExportRange{false, 0, 1}), "\n");
}

TEST_F(SurfaceExportTest, AMatrixStartsANewLineWhenYFallsAsWellAsWhenItRises) {
    AddCalibration(doc, kTestEpoch);
    // A raster scanned from the top row down.
    const double ys[] = {20.0, 20.0, 10.0, 10.0, 0.0, 0.005};
    for (int i = 0; i < 6; ++i)
        AddPoint(doc, kTestEpoch + 1 + i, i % 2 * 10.0, ys[i], i + 1);
    SSurfaceDefinition d;
    d.matrix = true;
    EXPECT_EQ(Write(d), "0.500000\t1.000000\t\n1.500000\t2.000000\t\n2.500000\t3.000000\t\n");
}

TEST_F(SurfaceExportTest, OnlyObservationsWithAValueForTheQuantityAreWritten) {
    AddPoint(doc, kTestEpoch - 5, 1, 1, 1);  // before every calibration: no value
    FillGrid();
    auto reference = std::make_unique<CWireReference>();
    reference->SetTime(kTestEpoch + 20, 0);
    doc.AddObs(std::move(reference));
    auto raw = std::make_unique<CRawADObs>();
    raw->SetTime(kTestEpoch + 21, 0);
    raw->probePosition = CDVector4(7, 8, 0, 0);
    raw->values = {0.25};
    doc.AddObs(std::move(raw));

    SSurfaceDefinition d;
    const std::string cdp = Write(d);
    EXPECT_EQ(std::count(cdp.begin(), cdp.end(), '\n'), 6);
    EXPECT_EQ(cdp.find("1.000000\t1.000000\t"), std::string::npos);
    d.quantity = 1187;
    EXPECT_EQ(Write(d), "7.000000\t8.000000\t0.250000\n");
    d.channel = 5;
    EXPECT_EQ(Write(d), "");
}

TEST_F(SurfaceExportTest, GradientQuantitiesAreThoseOfTheChosenProbe) {
    for (const char* name : {"K+", "Na+"}) {
        auto rules = std::make_unique<CSampRulesIon>();
        rules->SetTime(kTestEpoch, 0);
        rules->name = name;
        for (int i = 0; i < 2; ++i)
            rules->points.push_back(std::make_unique<CSampPointIon>());
        doc.AddObs(std::move(rules));
    }
    for (const char* name : {"K+", "Na+"}) {
        auto obs = std::make_unique<CIonObs>();
        obs->SetTime(kTestEpoch + 1, 0);
        obs->name = name;
        obs->probePosition = CDVector4(name[0] == 'K' ? 1 : 2, 0, 0, 0);
        obs->SetShape(2, 1);
        obs->values = {1, 4};
        obs->refValues = {0, 1};
        doc.AddObs(std::move(obs));
    }
    EXPECT_EQ(SurfaceProbeNames(doc), (std::vector<std::string>{"K+", "Na+"}));
    SSurfaceDefinition d;
    d.quantity = 1186;
    EXPECT_EQ(Write(d), "1.000000\t0.000000\t2.000000\n");
    d.applyReference = false;
    d.probe = 1;
    EXPECT_EQ(Write(d), "2.000000\t0.000000\t3.000000\n");
    d.quantity = 1184;
    d.sampleNumber = 2;
    EXPECT_EQ(Write(d), "2.000000\t0.000000\t4.000000\n");
    d.repLast = 2;  // more repetitions than the rules have: no value
    EXPECT_EQ(Write(d), "");
}

TEST_F(SurfaceExportTest, AScanAddsItsFileNameAndItsSurface) {
    CDataDocument scanDoc;
    AddCalibration(scanDoc, kTestEpoch);
    AddPoint(scanDoc, kTestEpoch + 1, 0, 0, 2);
    AddPoint(scanDoc, kTestEpoch + 2, 10, 0, 4);
    std::string message;
    ASSERT_TRUE(scanDoc.SaveFile(dir.File("scan001.scn"), message));
    AddCalibration(doc, kTestEpoch);
    AddPoint(doc, kTestEpoch + 1, 5, 5, 1);
    for (const std::string& file : {dir.File("scan001.scn"), std::string("/nowhere/scan002.scn")}) {
        auto scan = std::make_unique<CScanObs>();
        scan->SetTime(kTestEpoch + 9, 0);
        scan->fileName = file;
        doc.AddObs(std::move(scan));
    }
    AddPoint(doc, kTestEpoch + 10, 5, 5, 2);
    SSurfaceDefinition d;
    d.matrix = true;
    // Without a way to open scan documents, scans are passed over.
    EXPECT_EQ(Write(d), "0.500000\t1.000000\t\n");
    SetScanDocumentOpener([](const std::string& path) -> std::unique_ptr<CDataDocument> {
        auto scanDocument = std::make_unique<CDataDocument>();
        if (!scanDocument->OnOpenDocument(path)) return nullptr;
        return scanDocument;
    });
    EXPECT_EQ(Write(d), "0.500000\t\nFile " + dir.File("scan001.scn") +
                            "\n1.000000\t2.000000\t\n1.000000\t\n");
    EXPECT_EQ(prompt.LastText(), "File /nowhere/scan002.scn not found - not exporting.");
}

// ---- The command ------------------------------------------------------------------------------

TEST_F(SurfaceExportTest, CommandWritesTheNumberedFileKeepsTheDefinitionAndLoadsTheFile) {
    FillGrid();
    clock.Advance(60 * 1000);
    const std::string path = dir.File("expor007.txt");
    SetSurfaceExportDialog([&](CSurfaceExportLogic& logic) {
        EXPECT_EQ(logic.outputPath, path);
        EXPECT_EQ(logic.RangeText(), "12/05/07 12:00:00 to 12/05/07 12:00:06");
        logic.definition.matrix = true;
        logic.loadInto = true;
        logic.loadCommand = "true";
        return logic.Ok();
    });
    ASSERT_TRUE(SurfaceExportCommand(doc));
    EXPECT_EQ(ReadFileText(path),
              "0.500000\t1.000000\t1.500000\t\n2.000000\t2.500000\t3.000000\t\n");
    EXPECT_EQ(GetNextExportFileNumber(), 8);
    EXPECT_TRUE(SurfaceDefinitionOf(doc).matrix);
    EXPECT_EQ(profile.GetProfileString("Open Observations With ...", "Surface Export"), "true");
    EXPECT_EQ(profile.GetProfileInt("Open Observations With ...", "Load Surface Export", 0), 1);
    auto* log = dynamic_cast<CLogEntry*>(doc.Observations().back().get());
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->text, "Export to file " + path + " complete.");
    EXPECT_TRUE(prompt.shown.empty());

    // The stored choice comes back; a program that cannot be started is named with the reason.
    SetSurfaceExportDialog([&](CSurfaceExportLogic& logic) {
        EXPECT_TRUE(logic.loadInto);
        EXPECT_TRUE(logic.definition.matrix);
        logic.loadCommand = "velm-no-such-program --flag";
        return true;
    });
    ASSERT_TRUE(SurfaceExportCommand(doc));
    EXPECT_EQ(prompt.LastText(),
              "Command 'velm-no-such-program --flag' failed.\n" + StartFailureReason(ENOENT));
    EXPECT_TRUE(std::filesystem::exists(dir.File("expor008.txt")));
}

TEST_F(SurfaceExportTest, CommandFailuresAndTheOverwriteQuestion) {
    FillGrid();
    const size_t before = doc.GetObsCount();
    SetSurfaceExportDialog([](CSurfaceExportLogic&) { return false; });
    EXPECT_FALSE(SurfaceExportCommand(doc));
    EXPECT_EQ(GetNextExportFileNumber(), 7);

    const std::string bad = dir.File("missing/surface.txt");
    SetSurfaceExportDialog([&](CSurfaceExportLogic& logic) {
        logic.outputPath = bad;
        logic.definition.matrix = true;
        return true;
    });
    EXPECT_FALSE(SurfaceExportCommand(doc));
    EXPECT_EQ(prompt.LastText(), "Unable to open file " + bad + " for surface export.");
    EXPECT_EQ(doc.GetObsCount(), before);
    EXPECT_FALSE(SurfaceDefinitionOf(doc).matrix);

    // An older export of the proposed name is not replaced without asking.
    WriteFileText(dir.File("expor008.txt"), "older");
    SetSurfaceExportDialog([](CSurfaceExportLogic&) { return true; });
    prompt.answers = {EPromptAnswer::No};
    EXPECT_FALSE(SurfaceExportCommand(doc));
    EXPECT_EQ(prompt.LastText(), "Export file number incremented - try export again.");
    EXPECT_EQ(ReadFileText(dir.File("expor008.txt")), "older");
    EXPECT_EQ(GetNextExportFileNumber(), 9);
}

TEST_F(SurfaceExportTest, DialogChecksItsEntriesAndShowsWhatIsInForce) {
    FillGrid();
    CSurfaceExportLogic logic(doc, "/out/s.txt");
    logic.repFirstText = "3";
    logic.repLastText = "2";
    EXPECT_FALSE(logic.Ok());
    EXPECT_EQ(prompt.LastText(), "The first repetition to average must not come after the last.");
    EXPECT_EQ(prompt.shown.back().caption, "Surface Export Definition");
    logic.repLastText = "3";
    logic.channelText = "four";
    EXPECT_FALSE(logic.Ok());
    EXPECT_EQ(prompt.LastText(), "\"Channel #\" must be a whole number from 0 to 32767.");
    logic.channelText = "0";
    logic.sampleText = " 2 ";
    logic.loadInto = true;
    EXPECT_FALSE(logic.Ok());
    EXPECT_EQ(prompt.LastText(), "Enter the command line of the program to load the export into.");
    logic.loadInto = false;
    ASSERT_TRUE(logic.Ok());
    EXPECT_EQ(logic.definition.sampleNumber, 2);
    EXPECT_EQ(logic.definition.repFirst, 3);
    EXPECT_EQ(logic.definition.channel, 0);

    logic.ShowCalibration(CSurfaceExportLogic::ETechnique::Cdp);
    EXPECT_NE(prompt.LastText().find("CDP Calibration:  "), std::string::npos);
}

TEST_F(SurfaceExportTest, MageExportShowsItsDialogAndKeepsAndWritesNothing) {
    FillGrid();
    const std::string settingsBefore = ReadFileText(profile.Path());
    doc.SetModifiedFlag(false);
    int shown = 0;
    SetMageExportDialog([&](CMageExportLogic& logic) {
        ++shown;
        EXPECT_EQ(logic.outputPath, dir.File("expor007.txt"));
        logic.scale[1] = "2,5";
        EXPECT_FALSE(logic.Ok());
        EXPECT_EQ(prompt.LastText(), "\"Y scale\" must be a number.");
        logic.scale[1] = "2.5";
        logic.angle[2] = "";
        EXPECT_FALSE(logic.Ok());
        EXPECT_EQ(prompt.LastText(), "\"Z angle\" must be a number.");
        logic.angle[2] = " -45 ";
        return logic.Ok();
    });
    EXPECT_TRUE(MageExportCommand(doc));
    SetMageExportDialog([&](CMageExportLogic&) { return false; });
    EXPECT_FALSE(MageExportCommand(doc));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(ReadFileText(profile.Path()), settingsBefore);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(GetNextExportFileNumber(), 7);
    EXPECT_FALSE(std::filesystem::exists(dir.File("expor007.txt")));
}

}  // namespace
