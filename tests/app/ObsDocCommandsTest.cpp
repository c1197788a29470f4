// The observation document's commands on a simulated station: what each measurement appends
// and in which order, references, automatic saving, images, log entries, the View menu, "Open
// With", and a document taken through the whole road and reopened.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "app/ObsDocCommands.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "hw/fg/FgDialogs.h"
#include "hw/fg/PickOnImageLogic.h"
#include "obs/DibObs.h"
#include "obs/InterestPointObs.h"
#include "obs/IonObs.h"
#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/ObsDocSettings.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "platform/Format.h"
#include "settings/FileNumbering.h"
#include "settings/RootDirectory.h"
#include "tech/StationTestEnv.h"

namespace {

// A calibration whose X current density is 1000 uA/sq.cm. per volt of X in-phase difference
// and whose Y follows the Y quadrature, with SG 1 and rho 100 (gains hold rho * SG).
const char* kCalibration =
    "[Voltage Probe Calibration]\n"
    "Line 0=Zvib: 17215  xCal: 1  yCal: 1  rho: 100.000000  SG: 1.000000\n"
    "Line 1=xxPh: 1.570796  xxA/V: 100000.000000  xyPh: 0.000000  xyA/V: 0.000000  xVibAng=0\n"
    "Line 2=yxPh: 0.000000  yxA/V: 0.000000  yyPh: 0.000000  yyA/V: 100000.000000  yVibAng=0\n"
    "[Voltage Probe Sample Rules]\n"
    "Point =pre=0.010000  samp=0.100000  ref=0.200000  fchan=0\n";

class ObsDocCommandsTest : public CStationTest {
  protected:
    CObsDocCommands& Commands(const char* board = "Sine Wave (0.1 Hz)",
                              const std::string& more = kCalibration) {
        Station(board, more);
        commands = std::make_unique<CObsDocCommands>(doc, *frame);
        return *commands;
    }
    std::vector<std::string> Classes() const {
        std::vector<std::string> names;
        for (const auto& obs : doc.Observations())
            names.push_back(obs->GetRuntimeClass().name);
        return names;
    }
    CObsDoc doc;
    std::unique_ptr<CObsDocCommands> commands;
};

using Names = std::vector<std::string>;

TEST_F(ObsDocCommandsTest, TheFirstCdpPointBringsRulesAndCalibrationTheNextComesAlone) {
    CObsDocCommands& c = Commands();
    c.ChooseTechnique(kTechniqueCdp);
    EXPECT_EQ(c.TechniqueMenuTitle(), "&Technique (CDP)");
    EXPECT_TRUE(c.IsTechniqueChecked(kTechniqueCdp));
    ASSERT_TRUE(c.Point());
    EXPECT_EQ(Classes(), (Names{"CSampRulesWire", "CWireCalibration", "CWireObs"}));
    EXPECT_EQ(c.LastAdded().size(), 3u);
    EXPECT_TRUE(doc.storedWireRules && doc.storedWireCal && doc.IsModified());
    ASSERT_TRUE(c.Point());
    EXPECT_EQ(Classes().size(), 4u);
    EXPECT_EQ(c.LastAdded().size(), 1u);

    // The list line converts with the calibration of velm.ini: X from the X in-phase volts.
    const auto& point = static_cast<const CWireObs&>(*doc.GetObsAt(3));
    std::string line;
    point.Describe(line, &doc, DetailFlags::kType | DetailFlags::kCalculations);
    const CDVector4 d = point.reading - point.reference;
    const double x = (d.x * std::sin(1.570796) + d.y * std::cos(1.570796)) * 1000.0;
    const double y = d.w * 1000.0;
    double angle = std::atan2(y, x) * kDegreesPerRadian;
    if (angle < 0) angle += 360.0;
    EXPECT_EQ(line, StrPrintf("CDP Obs:   ( %8.2lf %8.2lf ) %8.2lf %4.0lf", x, y,
                              std::sqrt(x * x + y * y), angle));

    // Edited rules differ from the document's: the next point brings them first.
    techDialogs.wireRules = [](CWireRulesLogic& l) {
        l.averageFor = "0.3";
        return true;
    };
    ASSERT_TRUE(c.EditSampling());
    ASSERT_TRUE(c.Point());
    EXPECT_EQ(Classes(), (Names{"CSampRulesWire", "CWireCalibration", "CWireObs", "CWireObs",
                                "CSampRulesWire", "CWireObs"}));
    EXPECT_EQ(doc.Register().WireRulesAt(*doc.GetObsAt(5))->SamplePeriod, 0.3);
}

TEST_F(ObsDocCommandsTest, AReopenedDocumentGetsTheCalibrationThatChangedSince) {
    CObsDocCommands& c = Commands();
    ASSERT_TRUE(c.WirePoint());
    const std::string bytes = doc.SaveToBytes();
    CObsDoc reopened;
    ASSERT_EQ(reopened.LoadFromBytes(bytes), EArchiveError::None);
    EXPECT_EQ(reopened.storedWireCal, 1);
    frame->Station().wireCalibration->SystemGain = 2.0;  // calibrated again meanwhile
    CObsDocCommands later(reopened, *frame);
    ASSERT_TRUE(later.WirePoint());
    EXPECT_EQ(later.LastAdded().size(), 2u);  // the new calibration, then the point
    EXPECT_EQ(reopened.Register().WireCalibrationAt(*later.LastAdded()[1])->SystemGain, 2.0);
}

TEST_F(ObsDocCommandsTest, AFailedReadAppendsNothingAtAll) {
    CObsDocCommands& c = Commands("No A/D Board");
    c.ChooseTechnique(kTechniqueCdp);
    EXPECT_FALSE(c.Point());
    EXPECT_EQ(doc.GetObsCount(), 0u);
    EXPECT_FALSE(doc.storedWireRules || doc.storedWireCal || doc.IsModified());
    EXPECT_NE(prompt.LastText().find("\"No A/D Board\""), std::string::npos);
    c.ChooseTechnique(kTechniqueRawAD);
    EXPECT_FALSE(c.Point());
    EXPECT_EQ(doc.GetObsCount(), 0u);

    frame->Station().wireRules.reset();  // a station without rules
    c.ChooseTechnique(kTechniqueCdp);
    EXPECT_FALSE(c.Point());
    EXPECT_EQ(prompt.LastText(), "Define CDP sampling rules and calibration first");
    EXPECT_FALSE(c.Reference());
    EXPECT_EQ(prompt.LastText(), "Define sampling rules and calibrate probe first");
    c.ChooseProbe("pH");
    EXPECT_EQ(c.TechniqueMenuTitle(), "&Technique (pH)");
    EXPECT_TRUE(c.IsProbeChecked("pH"));
    EXPECT_FALSE(c.Point());
    EXPECT_EQ(prompt.LastText(), "Define ISP/PVP Probe sampling rules and calibration first");
    EXPECT_EQ(prompt.shown.back().icon, EPromptIcon::Exclamation);
}

TEST_F(ObsDocCommandsTest, KeepingAReferenceAppendsItCancellingRestoresTheOldOne) {
    CObsDocCommands& c = Commands();
    c.ChooseTechnique(kTechniqueCdp);
    CDVector4& current = frame->Station().wireReference.reading;
    current = CDVector4(0.5, 0.5, 0.5, 0.5);
    prompt.answers = {EPromptAnswer::Cancel};
    EXPECT_FALSE(c.Reference());
    EXPECT_EQ(current, CDVector4(0.5, 0.5, 0.5, 0.5));
    EXPECT_EQ(Classes(), (Names{"CSampRulesWire", "CWireCalibration"}));

    ASSERT_TRUE(c.Reference());
    const auto& ref = static_cast<const CWireReference&>(*doc.GetObsAt(2));
    const CDVector4 uv = (ref.reading - ref.reference);  // SG 1: volts * 1e6 at the tip
    EXPECT_EQ(prompt.LastText(),
              StrPrintf("CDP Reference:  %8.2lf %8.2lf %8.2lf %8.2lf - keep this reference?",
                        uv.x * 1e6, uv.y * 1e6, uv.z * 1e6, uv.w * 1e6));
    EXPECT_EQ(ref.reference, CDVector4(0.5, 0.5, 0.5, 0.5));
    EXPECT_EQ(current, ref.reading);
    CDVector4 saved;
    LoadWireReferenceLine(saved);
    EXPECT_NEAR(saved.x, ref.reading.x, 1e-6);

    ASSERT_TRUE(c.Point());  // subtracts the kept reference
    EXPECT_EQ(static_cast<const CWireObs&>(*doc.GetObsAt(3)).reference, ref.reading);
    c.ChooseTechnique(kTechniqueRawAD);
    EXPECT_FALSE(c.CanReference());
}

TEST_F(ObsDocCommandsTest, AutoSaveSavesAtOnceAndThenAtEveryTwelfthMeasurementWithTen) {
    CObsDocCommands& c = Commands();
    const std::string path = dir.File("auto.vpo");
    doc.SetPathName(path);
    docDialogs.autoSave = [](CAutoSaveLogic& l) {
        EXPECT_EQ(l.observations, "10");
        return true;
    };
    ASSERT_TRUE(c.AutoSave());
    EXPECT_TRUE(c.IsAutoSaveChecked());
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(profile.GetProfileString(kObsDocSection, "DataDoc Line 4"),
              "autoSave=1  numAutoSaveObs=10  updateView=1");
    std::filesystem::remove(path);

    // The rules and calibration that come with the first point are not counted: the save
    // falls on the twelfth point and holds it.
    c.ChooseTechnique(kTechniqueCdp);
    for (int i = 0; i < 11; ++i)
        ASSERT_TRUE(c.Point());
    EXPECT_EQ(doc.GetObsCount(), 13u);
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_TRUE(c.Point());  // the twelfth point
    ASSERT_TRUE(std::filesystem::exists(path));
    CObsDoc saved;
    std::string message;
    ASSERT_TRUE(saved.LoadFile(path, message)) << message;
    EXPECT_EQ(saved.GetObsCount(), 14u);
    std::filesystem::remove(path);

    // A burst of three channels is one measurement: counted once, saved whole.
    c.ChooseTechnique(kTechniqueRawAD);
    frame->Station().rawADRules->FirstChan = 1;
    frame->Station().rawADRules->LastChan = 3;
    frame->Station().rawADRules->average = 0;
    frame->Station().rawADRules->BurstNum = 4;
    frame->Station().rawADRules->BurstFreq = 1000.0;
    for (int i = 0; i < 11; ++i)
        ASSERT_TRUE(c.Point());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(doc.GetObsCount(), 14u + 1u + 33u);  // the raw A/D rules, 11 bursts
    ASSERT_TRUE(c.Point());
    CObsDoc savedAgain;
    ASSERT_TRUE(savedAgain.LoadFile(path, message)) << message;
    EXPECT_EQ(savedAgain.GetObsCount(), doc.GetObsCount());

    prompt.answers = {EPromptAnswer::Cancel};
    EXPECT_FALSE(c.AutoSave());
    EXPECT_EQ(prompt.LastText(), "Turn Auto-Save feature off? ");
    EXPECT_TRUE(c.AutoSave());
    EXPECT_FALSE(c.IsAutoSaveChecked());
}

TEST_F(ObsDocCommandsTest, RawADPointsBringTheirRulesAndBurstsComeOnePerChannel) {
    const std::string rules =
        "[Raw A/D Sample Rules]\nPoint =chan: 1 to 3, pre=0.000000  avg=0  inter=1  "
        "avgperiod=0.100000  burstnum=8  burstfreq=1000.000000\n";
    CObsDocCommands& c = Commands("Sine Wave (0.1 Hz)", rules);
    c.ChooseTechnique(kTechniqueRawAD);
    EXPECT_EQ(c.TechniqueMenuTitle(), "&Technique (RawA/D)");
    ASSERT_TRUE(c.Point());
    EXPECT_EQ(Classes(), (Names{"CSampRulesRawAD", "CRawADObs", "CRawADObs", "CRawADObs"}));
    EXPECT_EQ(doc.storedRawADRules, 1);
    EXPECT_EQ(static_cast<const CRawADObs&>(*doc.GetObsAt(3)).rules.FirstChan, 3);
    std::string line;
    doc.GetObsAt(1)->Describe(line, &doc, DetailFlags::kType | DetailFlags::kInformation);
    EXPECT_EQ(line, "Raw A/D Obs:  Burst of 8 samples from 1 channels");
}

TEST_F(ObsDocCommandsTest, InterestPointsMarkTheClickedPosition) {
    CObsDocCommands& c = Commands();
    CScriptedFgDialogs fg;
    CScopedFgDialogs scope(&fg);
    frame->ProbeSystem().SetPosition(100, 200, 30, 0);
    c.ChooseTechnique(kTechniqueInterestPoint);
    EXPECT_EQ(c.TechniqueMenuTitle(), "&Technique (Interest Point)");
    fg.clicks = {SPixel{330, 235}, std::nullopt};
    ASSERT_TRUE(c.Point());
    // "Default" optical system: one micron per pixel from the camera origin (320, 240).
    EXPECT_EQ(doc.GetObsAt(0)->probePosition, CDVector4(110, 195, 30, 0));
    EXPECT_FALSE(c.Point());  // cancelled
    EXPECT_EQ(doc.GetObsCount(), 1u);
}

TEST_F(ObsDocCommandsTest, PickingOnTheImageShowsMicronsThroughTheActiveOpticalSystem) {
    CObsDocCommands& c = Commands("Sine Wave (0.1 Hz)",
                                  std::string(kCalibration) +
                                      "[Optical Systems]\nNumber of systems=2\nName 0=Default\n"
                                      "Name 1=Lab x10\nActive system=Lab x10\n"
                                      "Default=1.000000, 1.000000, 0.000000; 1.000000, 1.000000, "
                                      "1.000000, 0.000000  DefFrame=640,480  Aspect=1.000000\n"
                                      "Lab x10=2.000000, -0.500000, 0.000000; 1.000000, 1.000000, "
                                      "3.000000, 0.000000  DefFrame=640,480  Aspect=1.000000\n");
    CScriptedFgDialogs fg;
    CScopedFgDialogs scope(&fg);
    std::vector<std::string> shown;
    fg.beforeClick = [&](CPickOnImageLogic& logic) {
        shown.push_back(logic.PositionText({330, 235}));  // 10 right of and 5 above the origin
    };
    frame->ProbeSystem().SetPosition(100, 200, 30, 0);
    c.ChooseTechnique(kTechniqueInterestPoint);
    fg.clicks = {SPixel{330, 235}};
    ASSERT_TRUE(c.Point());
    EXPECT_EQ(shown, std::vector<std::string>{"20.0, 2.5, 0.0, 0.0"});
    EXPECT_EQ(doc.GetObsAt(0)->probePosition, CDVector4(120, 202.5, 30, 0));

    // Camera 1 looks at the Y-Z plane: image x is stage Y, image y is Z.
    frame->FgBoard().cam1Installed = 1;
    fg.beforeClick = [&](CPickOnImageLogic& logic) {
        logic.SwitchCamera(1);
        shown.push_back(logic.PositionText({330, 235}));
    };
    fg.clicks = {SPixel{330, 235}};
    frame->FgBoard().PickOnImage("Show probe ...");
    EXPECT_EQ(shown.back(), "0.0, 10.0, -15.0, 0.0");
}

TEST_F(ObsDocCommandsTest, LogEntriesKeepTheTimeTheDialogOpenedAt) {
    CObsDocCommands& c = Commands();
    clock.Advance(42);
    docDialogs.logEntry = [&](CLogEntryLogic& l) {
        EXPECT_EQ(l.TimeText(), "12:00:00.042 on 12/05/07");
        clock.Advance(5000);  // the user types for five seconds
        l.text = "rinsed the probe";
        return true;
    };
    ASSERT_TRUE(c.LogEntry());
    const auto& entry = static_cast<const CLogEntry&>(*doc.GetObsAt(0));
    EXPECT_EQ(entry.time, kTestEpoch);
    EXPECT_EQ(entry.milliseconds, 42);
    EXPECT_EQ(entry.text, "rinsed the probe");
    docDialogs.logEntry = [&](CLogEntryLogic& l) {
        clock.Advance(1000);
        l.TakeTime();  // "Update Time && Save"
        return true;
    };
    ASSERT_TRUE(c.LogEntry());
    EXPECT_EQ(doc.GetObsAt(1)->time, kTestEpoch + 6);
}

TEST_F(ObsDocCommandsTest, GrabbedImagesNeverOverwriteAnExistingFile) {
    CObsDocCommands& c = Commands();
    SetRootDirectory(dir.File("missing"));
    EXPECT_FALSE(c.GrabImageToFile());
    EXPECT_EQ(prompt.LastText(),
              "Error moving to root directory " + dir.File("missing") + " - aborting");

    SetRootDirectory(dir.Path());
    ASSERT_TRUE(c.GrabImageToFile());
    EXPECT_TRUE(std::filesystem::exists(dir.File("images/image000.bmp")));
    EXPECT_EQ(GetNextImageNumber(), 1);
    // The counter was reset while image001 exists from before: the grab goes to image002.
    WriteFileText(dir.File("images/image001.bmp"), "precious");
    ResetImageNumber();
    ASSERT_TRUE(c.GrabImageToFile());
    EXPECT_EQ(ReadFileText(dir.File("images/image001.bmp")), "precious");
    EXPECT_EQ(static_cast<const CDibObs&>(*doc.GetObsAt(1)).fileName,
              dir.File("images/image002.bmp"));
    EXPECT_EQ(GetNextImageNumber(), 3);
}

TEST_F(ObsDocCommandsTest, ViewChoicesAreKeptForTheNextDocument) {
    CObsDocCommands& c = Commands();
    int refreshed = 0;
    doc.SetUpdateViewsHook([&] { ++refreshed; });
    c.SetTimeRange(kViewLatestHalfHour);
    EXPECT_TRUE(c.IsTimeRangeChecked(kViewLatestHalfHour));
    docDialogs.timeRange = [](CTimeRangeLogic& l) {
        l.start = kTestEpoch - 3600;
        l.end = kTestEpoch;
        return true;
    };
    ASSERT_TRUE(c.DefineTimeRange());
    EXPECT_EQ(doc.viewMode, kViewFixed);
    EXPECT_EQ(doc.fixedStart, kTestEpoch - 3600);
    docDialogs.timeRange = [](CTimeRangeLogic& l) {
        l.start = l.end + 1;
        return true;
    };
    EXPECT_FALSE(c.DefineTimeRange());
    EXPECT_EQ(prompt.LastText(), "The start of the time range is later than its end.");

    c.ToggleDetail(DetailFlags::kDate);
    EXPECT_TRUE(c.IsDetailChecked(DetailFlags::kDate));
    EXPECT_EQ(profile.GetProfileInt(kObsDocViewSection, "Textmethod", 0), 372 | 0x80);
    c.DetailsAll();
    EXPECT_EQ(doc.detailFlags, 252);
    EXPECT_EQ(refreshed, 4);

    CObsDoc next;
    LoadNewObsDocSettings(next);
    EXPECT_EQ(next.viewMode, kViewFixed);
    EXPECT_EQ(next.detailFlags, 252);
    EXPECT_TRUE(prompt.shown.size() == 1);  // only the refused range above
}

TEST_F(ObsDocCommandsTest, ExportEntriesOpenWithTheirFileAsOneArgument) {
    CObsDocCommands& c = Commands();
    const std::string out = dir.File("args.txt");
    const std::string script = dir.File("viewer.sh");
    WriteFileText(script, "#!/bin/sh\nprintf '%s|' \"$@\" > \"" + out + ".tmp\"\nmv \"" + out +
                              ".tmp\" \"" + out + "\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    docDialogs.openWith = [&](COpenWithLogic& l) {
        EXPECT_EQ(l.command, "xdg-open");
        l.command = "'" + script + "' --view";
        return true;
    };
    ASSERT_TRUE(c.OpenWith());
    InstallOpenWithRunner();
    const std::string file = dir.File("export 1; touch HACKED.txt");
    CLogEntry entry;
    entry.text = "Export to file " + file + " complete.";
    EXPECT_TRUE(entry.Open(&doc, 0));
    for (int i = 0; i < 500 && !std::filesystem::exists(out); ++i)
        ::usleep(10000);
    EXPECT_EQ(ReadFileText(out), "--view|" + file + "|");
    EXPECT_FALSE(std::filesystem::exists("HACKED.txt"));

    profile.WriteProfileString(kOpenWithSection, kOpenWithExportsKey, "/no/such/viewer");
    EXPECT_FALSE(OpenWithStoredCommand(" x.txt "));
    EXPECT_EQ(prompt.LastText(), "Command '/no/such/viewer' failed.\nFile was not found.");
    SetOpenExportedFileHook(nullptr);

    docDialogs.openWith = [](COpenWithLogic& l) {
        l.command = "viewer 'unclosed";
        return true;
    };
    EXPECT_FALSE(c.OpenWith());
}

TEST_F(ObsDocCommandsTest, ResistivityMakesANewCalibrationAndTheDocumentHoldsIt) {
    CObsDocCommands& c = Commands();
    techDialogs.resistivity = [](CResistivityLogic& l) {
        EXPECT_EQ(l.resistivity, "100");
        l.resistivity = "150";
        return true;
    };
    ASSERT_TRUE(c.SetResistivity());
    EXPECT_EQ(Classes(), Names{"CWireCalibration"});
    EXPECT_EQ(frame->Station().resistivity, 150.0);
    EXPECT_EQ(profile.GetProfileString(kWireCalibrationSection, "Line 0"),
              "Zvib: 17215  xCal: 1  yCal: 1  rho: 150.000000  SG: 1.000000");
    ASSERT_TRUE(c.WirePoint());  // the rules come now; the calibration is the one just added
    EXPECT_EQ(Classes(), (Names{"CWireCalibration", "CSampRulesWire", "CWireObs"}));
}

TEST_F(ObsDocCommandsTest, ResistivityStartsFromTheStationsCurrentCalibration) {
    CObsDocCommands& c = Commands();
    // Calibrated again in this run: the station's calibration is no longer velm.ini's.
    frame->Station().wireCalibration->SystemGain = 2.0;
    frame->Station().wireCalibration->XYuAperV = 7.0;
    techDialogs.resistivity = [](CResistivityLogic& l) {
        l.resistivity = "150";
        return true;
    };
    ASSERT_TRUE(c.SetResistivity());
    const auto& added = static_cast<const CWireCalibration&>(*doc.GetObsAt(0));
    EXPECT_EQ(added.SystemGain, 2.0);
    EXPECT_EQ(added.XYuAperV, 7.0);
    EXPECT_EQ(added.Resistivity, 150.0);
    EXPECT_TRUE(frame->Station().wireCalibration->SameValues(added));
}

TEST_F(ObsDocCommandsTest, WithoutACalibrationCdpCommandsAskForOneAndRawADStillWorks) {
    CObsDocCommands& c = Commands("Sine Wave (0.1 Hz)",
                                  "[Voltage Probe Sample Rules]\n"
                                  "Point =pre=0.010000  samp=0.100000  ref=0.200000  fchan=0\n");
    ASSERT_EQ(frame->Station().wireCalibration, nullptr);
    c.ChooseTechnique(kTechniqueCdp);
    EXPECT_FALSE(c.Point());
    EXPECT_EQ(prompt.LastText(), "Define CDP sampling rules and calibration first");
    EXPECT_FALSE(c.Reference());
    EXPECT_EQ(prompt.LastText(), "Define sampling rules and calibrate probe first");
    techDialogs.resistivity = [](CResistivityLogic&) { return true; };
    EXPECT_FALSE(c.SetResistivity());
    EXPECT_EQ(prompt.LastText(), "Define CDP sampling rules and calibration first");
    EXPECT_EQ(techDialogs.shown, 0);
    EXPECT_EQ(doc.GetObsCount(), 0u);
    EXPECT_EQ(profile.GetProfileString(kWireCalibrationSection, "Line 0"), "");
    c.ChooseTechnique(kTechniqueRawAD);
    EXPECT_TRUE(c.Point());
}

TEST_F(ObsDocCommandsTest, ClosingIsRefusedWhileAScanRuns) {
    CObsDocCommands& c = Commands();
    EXPECT_TRUE(c.CanClose());
    c.SetScanRunning(true);
    EXPECT_FALSE(c.CanClose());
    EXPECT_EQ(prompt.LastText(), "Scan sequence in progress.\n\nTerminate scan sequence first.");
    // A grid group and a vector scan overlap: the first to end leaves the other's mark.
    c.SetScanRunning(true);
    c.SetScanRunning(false);
    EXPECT_FALSE(c.CanClose());
    c.SetScanRunning(false);
    EXPECT_TRUE(c.CanClose());
    c.SetScanRunning(false);  // an extra end changes nothing
    EXPECT_TRUE(c.CanClose());
}

TEST_F(ObsDocCommandsTest, ReferenceEditorsReplaceTheValuesOrSayWhatIsWrong) {
    CWireObs obs;
    docDialogs.wireReference = [](CWireReferenceLogic& l) {
        EXPECT_EQ(l.xInPh, "0");
        l.yQuad = "-0.125";
        return true;
    };
    ASSERT_TRUE(EditWireReference(obs, &doc));
    EXPECT_EQ(obs.reference, CDVector4(0, 0, 0, -0.125));
    EXPECT_TRUE(doc.IsModified());

    CIonReference ref;
    ref.name = "K";
    ref.SetShape(2, 2);
    ref.values = {1, 2, 3, 4.5};
    docDialogs.ionReference = [](CIonReferenceLogic& l) {
        EXPECT_EQ(l.numberOfSamples, "2 x 2");
        EXPECT_EQ(l.samples, "1 2 3 4.5");
        l.samples = "1 2 3";
        return true;
    };
    EXPECT_FALSE(EditIonReference(ref, nullptr));
    EXPECT_EQ(prompt.LastText(), "\"Samples:\" needs 4 numbers (2 x 2), not 3.");
    docDialogs.ionReference = [](CIonReferenceLogic& l) {
        l.samples = "1, 2, 3, 5";
        l.daChannel1 = "0.5";
        return true;
    };
    ASSERT_TRUE(EditIonReference(ref, nullptr));
    EXPECT_EQ(ref.values, (std::vector<double>{1, 2, 3, 5}));
    EXPECT_EQ(ref.da1, 0.5);
}

TEST_F(ObsDocCommandsTest, TheRoadOfAMeasurementSurvivesSavingAndReopening) {
    CObsDocCommands& c = Commands();
    LoadNewObsDocSettings(doc);
    frame->ProbeSystem().SetPosition(12.5, -3, 0, 0);
    c.ChooseTechnique(kTechniqueCdp);
    ASSERT_TRUE(c.Point());
    clock.Advance(1500);
    ASSERT_TRUE(c.Reference());
    ASSERT_TRUE(c.Point());
    c.ChooseTechnique(kTechniqueRawAD);
    ASSERT_TRUE(c.Point());
    docDialogs.logEntry = [](CLogEntryLogic& l) {
        l.text = "done";
        return true;
    };
    ASSERT_TRUE(c.LogEntry());
    const std::string path = dir.File("road.vpo");
    ASSERT_TRUE(doc.OnSaveDocument(path));

    CObsDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(path));
    ASSERT_EQ(reopened.GetObsCount(), doc.GetObsCount());
    for (size_t i = 0; i < doc.GetObsCount(); ++i) {
        std::string a, b;
        doc.GetObsAt(i)->Describe(a, &doc, 0x1FC);
        reopened.GetObsAt(i)->Describe(b, &reopened, 0x1FC);
        EXPECT_EQ(a, b) << i;
    }
    EXPECT_EQ(reopened.SaveToBytes(), doc.SaveToBytes());
}

}  // namespace
