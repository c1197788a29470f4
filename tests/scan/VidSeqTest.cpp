// Video image sequences without a screen: the document's record byte for byte, its settings
// lines, the set-up's folder and its overwrite answers, and acquisitions on the test-pattern
// grabber and the simulated stages under the simulated clock (frame order, names, positions,
// the reference frame, early ends, going home).

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <set>

#include "hw/Bmp.h"
#include "hw/Devices.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "hw/fg/FakeAcquisition.h"
#include "obs/DibObs.h"
#include "platform/Format.h"
#include "scan/VidSeqAcquisition.h"
#include "scan/VidSeqDoc.h"
#include "scan/VidSeqSetup.h"
#include "scan/VidSeqView.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"

namespace fs = std::filesystem;

namespace {

// 2008-03-14 11:20:00 UTC.
constexpr int64_t kMarch14 = 1205493600;

std::string Bytes(const char* hex) {
    std::string out;
    for (const char* p = hex; *p;) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        out += static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16));
        p += 2;
    }
    return out;
}

// The two-frame sequence written out by hand from the record's layout.
const std::string kTwoFrames = Bytes(
    "01 00 01 00 01 00 01 00 01 00 01 00 01 00 01 00"
    "01 00 01 00 01 00 01 00 01 00 01 00 01 00 01 00"
    "01 00 01 00 00 00 01 00 00 00 01 00 01 00 60 5f"
    "da 47 7f 05 77 05 74 01 bf 80 58 58 da 47 60 5f"
    "da 47 01 00 04 01 00 00 03 00 00 00 00 00 0a 00"
    "00 00 00 00 00 00 00 00 00 00 c6 06 d0 06 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 02 00 ff ff 01 00 07 00 43 44 69 62 4f 62"
    "73 61 5f da 47 00 00 ff ff 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 1f 2f 64 61 74 61 2f"
    "65 78 70 2f 56 30 33 31 34 30 30 37 2f 30 30 30"
    "30 30 30 30 30 2e 62 6d 70 01 80 62 5f da 47 00"
    "00 ff ff 00 00 00 00 00 00 49 40 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 1f 2f 64 61 74 61 2f 65 78 70 2f 56 30"
    "33 31 34 30 30 37 2f 30 30 30 30 30 30 30 31 2e"
    "62 6d 70 08 56 30 33 31 34 30 30 37 01 00 0e 00"
    "03 00 07 00 00 00 00 00 00 00 e0 3f 01 00 01 00"
    "53 18 04 49 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 59 40 00 00 00 00"
    "00 00 49 40 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 02 00 01 00 01 00 01 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 01 00 01 00"
    "07 44 65 66 61 75 6c 74 00 00 00 00 00 00 f0 3f"
    "00 00 00 00 00 00 f0 bf 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 f0 3f 00 00 00 00 00 00 f0 bf"
    "00 00 00 00 00 00 f0 bf 00 00 00 00 00 00 00 00"
    "80 02 e0 01 00 00 00 00 00 00 f0 3f 00 00");

std::vector<std::string> FrameFiles(const CVidSeqDoc& doc) {
    std::vector<std::string> names;
    for (const auto& obs : doc.Observations())
        names.push_back(fs::path(static_cast<const CDibObs&>(*obs).fileName).filename());
    return names;
}

class VidSeqTest : public CVelmTest {
  protected:
    VidSeqTest() {
        clock.SetWallTime({kMarch14, 0});
        profile.WriteProfileString(kMainframeSection, "Line 0", dir.File("data"));
        fs::create_directories(dir.File("data"));
        profile.WriteProfileInt(kMainframeSection, "Next Video Sequence", 7);
        for (const char* section : {kProbeMotionSection, kSampleMotionSection})
            profile.WriteProfileString(section, "Line 1", "Steps/micron: 10 10 10 10");
        devices = std::make_unique<CDevices>();
        devices->FgBoard().captureWidth = 16;
        devices->FgBoard().captureHeight = 16;
    }

    std::string Root() const { return dir.File("data"); }

    // A new sequence set up with `steps` from (0,0,0,0) to (100,50,0,0).
    std::unique_ptr<CVidSeqDoc> SetUp(const char* x, const char* y, char refUse = 'I') {
        auto doc = std::make_unique<CVidSeqDoc>();
        CVidSeqSetupLogic logic(*doc, Root());
        logic.steps[0] = x;
        logic.steps[1] = y;
        logic.end[0] = "100";
        logic.end[1] = "50";
        logic.refUse = refUse;
        logic.reference[0] = "-20";
        std::string error;
        EXPECT_TRUE(logic.Accept(error)) << error;
        EXPECT_TRUE(logic.Apply());
        return doc;
    }

    std::unique_ptr<CDevices> devices;
};

TEST_F(VidSeqTest, TheRecordOfATwoFrameSequenceByteForByte) {
    CVidSeqDoc doc;
    for (int i = 0; i < 2; ++i) {
        auto frame = std::make_unique<CDibObs>();
        frame->SetTime(kMarch14 + 1 + i, 0);
        frame->probePosition.x = 50.0 * i;
        frame->fileName = StrPrintf("/data/exp/V0314007/0000000%d.bmp", i);
        doc.AddObs(std::move(frame));
    }
    doc.seqDir = "V0314007";
    doc.readOnly = 1;
    doc.seqNumber = 7;
    doc.end = CDVector4(100, 50, 0, 0);
    doc.steps = CIVector4(2, 1, 1, 1);
    doc.opticalSystem.name = "Default";
    EXPECT_EQ(doc.day, 14);
    EXPECT_EQ(doc.month, 3);
    ASSERT_EQ(kTwoFrames.size(), 622u);
    EXPECT_EQ(doc.SaveToBytes(), kTwoFrames);

    CVidSeqDoc loaded;
    ASSERT_EQ(loaded.LoadFromBytes(kTwoFrames), EArchiveError::None);
    EXPECT_EQ(FrameFiles(loaded), (std::vector<std::string>{"00000000.bmp", "00000001.bmp"}));
    EXPECT_EQ(loaded.seqDir, "V0314007");
    EXPECT_EQ(loaded.wait, 0.5);
    EXPECT_EQ(loaded.tool, 'S');
    EXPECT_EQ(loaded.moveType, 1048);
    EXPECT_EQ(loaded.refUse, 'I');
    EXPECT_EQ(loaded.end, CDVector4(100, 50, 0, 0));
    EXPECT_EQ(loaded.opticalSystem.frameWidth, 640);
    EXPECT_TRUE(loaded.IsLoaded());
    EXPECT_EQ(loaded.SaveToBytes(), kTwoFrames);

    // Cut anywhere, the record is refused rather than half read.
    for (size_t cut : {size_t{120}, size_t{0x153}, size_t{0x200}, kTwoFrames.size() - 1}) {
        CVidSeqDoc part;
        EXPECT_NE(part.LoadFromBytes(std::string_view(kTwoFrames).substr(0, cut)),
                  EArchiveError::None)
            << cut;
        EXPECT_EQ(part.GetObsCount(), 0u);
    }
}

TEST_F(VidSeqTest, FramesGoInGridOrderWithTheirNamesAndPositions) {
    std::unique_ptr<CVidSeqDoc> doc = SetUp("3", "2");
    EXPECT_EQ(doc->seqDir, "V0314007");
    EXPECT_EQ(GetNextVideoSequenceNumber(), 8);  // used once the folder is made
    CVidSeqAcquisition acquisition(*doc, *devices, Root());
    ASSERT_TRUE(acquisition.Run());
    ASSERT_FALSE(acquisition.EndedEarly()) << prompt.LastText();
    EXPECT_EQ(FrameFiles(*doc),
              (std::vector<std::string>{"00000000.bmp", "00000001.bmp", "00000002.bmp",
                                        "00000010.bmp", "00000011.bmp", "00000012.bmp"}));
    const CDVector4 expected[6] = {{0, 0, 0, 0},  {50, 0, 0, 0},  {100, 0, 0, 0},
                                   {0, 50, 0, 0}, {50, 50, 0, 0}, {100, 50, 0, 0}};
    for (size_t i = 0; i < 6; ++i) {
        const CVelmObs& frame = *doc->Observations()[i];
        EXPECT_EQ(frame.samplePosition, expected[i]) << i;
        EXPECT_EQ(static_cast<const CDibObs&>(frame).fileName,
                  Root() + "/V0314007/" + FrameFiles(*doc)[i]);
        CBitmapImage image;
        EXPECT_TRUE(ReadBmpFile(static_cast<const CDibObs&>(frame).fileName, image).Ok());
    }
    EXPECT_FALSE(fs::exists(Root() + "/V0314007/ref.bmp"));
    // Home again, and saved read-only beside the frames.
    EXPECT_EQ(devices->SampleSystem().Position(), CDVector4());
    EXPECT_EQ(acquisition.DocumentPath(), Root() + "/V0314007/v0314007.vsq");
    CVidSeqDoc loaded;
    ASSERT_TRUE(loaded.OnOpenDocument(acquisition.DocumentPath()));
    EXPECT_EQ(loaded.readOnly, 1);
    EXPECT_EQ(loaded.GetObsCount(), 6u);
    EXPECT_EQ(loaded.steps, CIVector4(3, 2, 1, 1));
    EXPECT_EQ(loaded.opticalSystem.name, "Default");
    EXPECT_TRUE(prompt.shown.empty());

    // Its set-up takes only the closing note.
    CVidSeqSetupLogic later(loaded, Root());
    EXPECT_TRUE(later.readOnly);
    later.steps[0] = "9";
    later.postComment = "tip etched after frame 3";
    std::string error;
    ASSERT_TRUE(later.Accept(error));
    ASSERT_TRUE(later.Apply());
    EXPECT_EQ(prompt.LastText(), "Only post-acquisition comment changes will be saved.");
    EXPECT_EQ(loaded.steps, CIVector4(3, 2, 1, 1));
    EXPECT_EQ(loaded.postComment, "tip etched after frame 3");
    EXPECT_TRUE(loaded.IsModified());

    // Never acquired into again.
    CVidSeqAcquisition again(loaded, *devices, Root());
    EXPECT_FALSE(again.Run());
    EXPECT_EQ(prompt.LastText(), "Attempt to acquire read-only scan.");
    EXPECT_EQ(loaded.GetObsCount(), 6u);
}

TEST_F(VidSeqTest, TheReferenceFrameComesFirstAtItsPositionAndAnAxisOfOneStepSitsAtItsStart) {
    std::unique_ptr<CVidSeqDoc> doc = SetUp("1", "2", 'B');
    CVidSeqAcquisition acquisition(*doc, *devices, Root());
    std::vector<std::string> progress;
    acquisition.showProgress = [&](const std::string& text) { progress.push_back(text); };
    ASSERT_TRUE(acquisition.Run());
    EXPECT_EQ(FrameFiles(*doc),
              (std::vector<std::string>{"ref.bmp", "00000000.bmp", "00000010.bmp"}));
    EXPECT_EQ(doc->Observations()[0]->samplePosition, CDVector4(-20, 0, 0, 0));
    EXPECT_EQ(doc->Observations()[2]->samplePosition, CDVector4(0, 50, 0, 0));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress[0], "Acquiring 'Before' image to file " + Root() + "/V0314007/ref.bmp ... ");
}

TEST_F(VidSeqTest, NamesStayDistinctOnceAnAxisHasElevenSteps) {
    CVidSeqDoc doc;
    doc.steps = CIVector4(11, 12, 1, 1);
    std::set<std::string> names;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 11; ++x)
            names.insert(doc.FrameName(CIVector4(x, y, 0, 0)));
    EXPECT_EQ(names.size(), 132u);
    EXPECT_EQ(doc.FrameName(CIVector4(10, 1, 0, 0)), "000000001010.bmp");
    doc.steps = CIVector4(10, 10, 1000, 2);
    EXPECT_EQ(doc.FrameName(CIVector4(9, 9, 999, 1)), "00199999.bmp");
}

TEST_F(VidSeqTest, SetupRefusesStepsOutsideTheGridAndAsksAboveAThousandFrames) {
    CVidSeqDoc doc;
    CVidSeqSetupLogic logic(doc, Root());
    std::string error;
    for (const char* bad : {"0", "-1", "1001", "2.5", ""}) {
        logic.steps[2] = bad;
        EXPECT_FALSE(logic.Accept(error)) << bad;
    }
    EXPECT_EQ(error, "Steps Z: enter a count from 1 to 1000.");
    logic.steps[2] = "1";
    logic.steps[0] = "101";
    logic.steps[1] = "100";
    EXPECT_FALSE(logic.Accept(error));
    EXPECT_EQ(error,
              "These steps make 10100 frames; a sequence holds at most 10000. Take fewer "
              "steps.");
    EXPECT_TRUE(prompt.shown.empty());
    logic.steps[0] = "11";
    prompt.answers = {EPromptAnswer::Cancel};
    EXPECT_FALSE(logic.Accept(error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(prompt.LastText(), "These steps make 1100 frames. Acquire them all?");
    EXPECT_FALSE(logic.Apply());
    EXPECT_TRUE(logic.Accept(error));  // OK this time
    logic.waitText = "nan";
    EXPECT_FALSE(logic.Accept(error));
}

TEST_F(VidSeqTest, AnExistingFolderIsKeptSkippedOrTheSetupAbandoned) {
    fs::create_directories(Root() + "/V0314007");
    fs::create_directories(Root() + "/V0314008");
    WriteFileText(Root() + "/V0314007/00000000.bmp", "old");
    auto run = [&](std::deque<EPromptAnswer> answers) {
        prompt.answers = std::move(answers);
        CVidSeqDoc doc;
        CVidSeqSetupLogic logic(doc, Root());
        std::string error;
        EXPECT_TRUE(logic.Accept(error));
        return logic.Apply() ? doc.seqDir : std::string("(abandoned)");
    };
    EXPECT_EQ(run({EPromptAnswer::Cancel}), "(abandoned)");
    EXPECT_EQ(prompt.LastText(), "Target directory V0314007 in directory " + Root() +
                                     " already exists - overwrite images?");
    EXPECT_EQ(GetNextVideoSequenceNumber(), 7);
    EXPECT_EQ(run({EPromptAnswer::Yes}), "V0314007");
    EXPECT_EQ(GetNextVideoSequenceNumber(), 8);
    profile.WriteProfileInt(kMainframeSection, "Next Video Sequence", 7);
    EXPECT_EQ(run({EPromptAnswer::No, EPromptAnswer::No}), "V0314009");
    EXPECT_EQ(GetNextVideoSequenceNumber(), 10);
    EXPECT_TRUE(fs::is_directory(Root() + "/V0314009"));

    // Without a root nothing is made.
    profile.WriteProfileString(kMainframeSection, "Line 0", dir.File("gone"));
    CVidSeqDoc doc;
    CVidSeqSetupLogic logic(doc, dir.File("gone"));
    std::string error;
    ASSERT_TRUE(logic.Accept(error));
    EXPECT_FALSE(logic.Apply());
    EXPECT_EQ(prompt.LastText(),
              "Error moving to root directory " + dir.File("gone") + " - aborting");
}

TEST_F(VidSeqTest, AFailedWriteOrEscEndsTheSequenceWithTheFramesSoFarSaved) {
    std::unique_ptr<CVidSeqDoc> doc = SetUp("3", "1");
    fs::create_directories(Root() + "/V0314007/00000001.bmp");  // in the way of the 2nd frame
    CVidSeqAcquisition acquisition(*doc, *devices, Root());
    EXPECT_TRUE(acquisition.Run());
    EXPECT_TRUE(acquisition.EndedEarly());
    EXPECT_EQ(FrameFiles(*doc), std::vector<std::string>{"00000000.bmp"});
    EXPECT_NE(prompt.LastText().find("00000001.bmp cannot be written"), std::string::npos);
    CVidSeqDoc saved;
    ASSERT_TRUE(saved.OnOpenDocument(acquisition.DocumentPath()));
    EXPECT_EQ(saved.GetObsCount(), 1u);

    // Esc between frames: Cancel goes on, OK ends.
    std::unique_ptr<CVidSeqDoc> next = SetUp("3", "1");
    CVidSeqAcquisition stopped(*next, *devices, Root());
    int asked = 0;
    stopped.escapePressed = [&] { return ++asked >= 2; };
    prompt.answers = {EPromptAnswer::Cancel, EPromptAnswer::Ok};
    EXPECT_TRUE(stopped.Run());
    EXPECT_TRUE(stopped.EndedEarly());
    EXPECT_EQ(FrameFiles(*next), (std::vector<std::string>{"00000000.bmp", "00000001.bmp"}));
    EXPECT_EQ(prompt.LastText(), "Terminate image sequence acquisition?");
}

TEST_F(VidSeqTest, TheProbeMovesWhenItIsTheToolAndBothStagesGoHome) {
    devices->ProbeSystem().SetPosition(5, 5, 5, 0);
    devices->SampleSystem().SetPosition(-1, -2, 0, 0);
    CVidSeqDoc doc;
    CVidSeqSetupLogic logic(doc, Root());
    logic.tool = 'P';
    logic.moveType = 1049;
    logic.steps[0] = "2";
    logic.end[0] = "10";
    for (int i = 0; i < 4; ++i) {
        logic.probeHome[i] = "7";
        logic.sampleHome[i] = "0";
    }
    logic.sampleHome[0] = "3";
    std::string error;
    ASSERT_TRUE(logic.Accept(error)) << error;
    ASSERT_TRUE(logic.Apply());
    CVidSeqAcquisition acquisition(doc, *devices, Root());
    ASSERT_TRUE(acquisition.Run());
    EXPECT_EQ(doc.Observations()[1]->probePosition, CDVector4(10, 0, 0, 0));
    EXPECT_EQ(doc.Observations()[1]->samplePosition, CDVector4(-1, -2, 0, 0));
    EXPECT_EQ(devices->ProbeSystem().Position(), CDVector4(7, 7, 7, 7));
    EXPECT_EQ(devices->SampleSystem().Position(), CDVector4(3, 0, 0, 0));

    // A stage without a motion system: told once, the frames are taken where it stands.
    devices->SampleSystem().name.clear();
    std::unique_ptr<CVidSeqDoc> still = SetUp("2", "1");
    CVidSeqAcquisition unmoved(*still, *devices, Root());
    ASSERT_TRUE(unmoved.Run());
    EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"The sample stage has no motion system: "
                                                       "the frames are taken without moving it."});
    EXPECT_EQ(still->GetObsCount(), 2u);
}

TEST_F(VidSeqTest, AveragedFramesAreTheRoundedMeanOfTheGrabs) {
    CFgBoard& grabber = devices->FgBoard();
    grabber.type = kFgNiImaq1408;
    auto log = std::make_shared<SFakeAcquisitionLog>();
    int grabs = 0;
    grabber.SetAcquisitionFactory([&]() -> std::unique_ptr<CImageAcquisition> {
        auto fake = std::make_unique<CFakeAcquisition>(log);
        fake->attributes = {{kImgAttrRoiWidth, 16}, {kImgAttrRoiHeight, 16}};
        fake->frame = CFakeAcquisition::GreyFrame(16, 16);
        const uint8_t add[3] = {0, 1, 4};
        for (uint8_t& b : fake->frame.data)
            b = static_cast<uint8_t>(b + add[grabs % 3]);
        ++grabs;
        return fake;
    });
    CBitmapImage image;
    ASSERT_TRUE(CVidSeqAcquisition::GrabAveraged(grabber, 3, image));
    EXPECT_EQ(grabs, 3);
    // Pixel (0, 0) from the top: 0, 1 and 4 average to 5/3, rounded 2; (1, 0): 2.67 -> 3.
    EXPECT_EQ(image.Row(image.height - 1)[0], 2);
    EXPECT_EQ(image.Row(image.height - 1)[1], 3);
}

TEST_F(VidSeqTest, SettingsLinesKeepTheMoveTypesLowByteAndReadItBack) {
    CVidSeqDoc doc;
    doc.SaveSettings();
    EXPECT_EQ(profile.GetProfileString(kVidSeqDocSection, "Line 0"),
              std::string("Move Tool: S  Move Type: \x18  Wait 0.500000 sec,  avg 1"));
    EXPECT_EQ(profile.GetProfileString(kVidSeqDocSection, "Line 1"),
              "Reference image: func=I  num = 1");
    EXPECT_EQ(profile.GetProfileString(kVidSeqDocSection, "Line 5"), "Steps: 1 1 1 1");
    EXPECT_EQ(profile.GetProfileString(kVidSeqDocSection, "Line 8"), "Home probe=1, sample=1");

    profile.WriteProfileString(kVidSeqDocSection, "Line 0",
                               "Move Tool: P  Move Type: \x19  Wait 2.000000 sec,  avg 4");
    profile.WriteProfileString(kVidSeqDocSection, "Line 1", "Reference image: func=R  num = 3");
    profile.WriteProfileString(kVidSeqDocSection, "Line 3", "Start: 1 2 3 4");
    profile.WriteProfileString(kVidSeqDocSection, "Line 5", "Steps: 4 3 2 0");
    std::string problems;
    CVidSeqDoc loaded;
    loaded.LoadSettings(problems);
    EXPECT_EQ(loaded.tool, 'P');
    EXPECT_EQ(loaded.moveType, 1049);
    EXPECT_EQ(loaded.wait, 2.0);
    EXPECT_EQ(loaded.average, 4);
    EXPECT_EQ(loaded.refUse, 'R');
    EXPECT_EQ(loaded.refCount, 3);
    EXPECT_EQ(loaded.start, CDVector4(1, 2, 3, 4));
    EXPECT_EQ(loaded.steps, CIVector4(4, 3, 2, 1));  // a step count of 0 is not taken
    EXPECT_EQ(problems, "\n  [Video Sequence Document] Line 5=Steps: 4 3 2 0");

    profile.WriteProfileString(kVidSeqDocSection, "Line 0",
                               "Move Tool: X  Move Type: !  Wait 1 sec,  avg 1");
    CVidSeqDoc odd;
    problems.clear();
    odd.LoadSettings(problems);
    EXPECT_EQ(odd.tool, 'S');
    EXPECT_EQ(odd.moveType, 1048);
}

TEST_F(VidSeqTest, TheViewFindsFramesByGridAndLabelsThemWithTheirPosition) {
    std::unique_ptr<CVidSeqDoc> doc = SetUp("3", "2", 'B');
    CVidSeqAcquisition acquisition(*doc, *devices, Root());
    ASSERT_TRUE(acquisition.Run());
    // The folder moves elsewhere with its document: frames are found beside it.
    fs::rename(Root() + "/V0314007", dir.File("moved"));
    CVidSeqDoc loaded;
    ASSERT_TRUE(loaded.OnOpenDocument(dir.File("moved/v0314007.vsq")));
    CVidSeqViewLogic view(loaded);
    ASSERT_EQ(view.Frames().size(), 7u);
    EXPECT_TRUE(view.Frames()[0].reference);
    EXPECT_EQ(view.Frames()[5].index, CIVector4(1, 1, 0, 0));
    EXPECT_EQ(view.Label(5), "50, 50");
    EXPECT_EQ(view.Label(0), "-20, 0");
    EXPECT_EQ(view.Plane(0, 0), (std::vector<size_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(view.Plane(1, 0).empty());
    CBitmapImage image;
    std::string why;
    ASSERT_TRUE(view.Image(3, image, why)) << why;
    // The test pattern is the same in every frame: background subtracted, all mid grey.
    EXPECT_EQ(image.pixels.front(), 128);
    EXPECT_EQ(image.pixels.back(), 128);
    fs::remove(dir.File("moved/00000002.bmp"));
    EXPECT_FALSE(view.Image(3, image, why));
    EXPECT_NE(why.find("00000002.bmp not found"), std::string::npos);
}

TEST(VidSeqView, TheReferenceIsSubtractedOrDividedAndClamped) {
    CBitmapImage frame = CBitmapImage::Blank(4, 1, 8), ref = CBitmapImage::Blank(4, 1, 8);
    frame.pixels = {10, 200, 0, 60};
    ref.pixels = {20, 10, 0, 30};
    CBitmapImage b = frame;
    CVidSeqViewLogic::ApplyReference(b, ref, 'B');
    EXPECT_EQ(b.pixels, (std::vector<uint8_t>{118, 255, 128, 158}));
    CBitmapImage r = frame;
    CVidSeqViewLogic::ApplyReference(r, ref, 'R');
    EXPECT_EQ(r.pixels, (std::vector<uint8_t>{64, 255, 128, 255}));
    CBitmapImage i = frame;
    CVidSeqViewLogic::ApplyReference(i, ref, 'I');
    EXPECT_EQ(i.pixels, frame.pixels);
    // A reference of another size is not applied.
    CBitmapImage other = CBitmapImage::Blank(2, 2, 8);
    CVidSeqViewLogic::ApplyReference(i, other, 'B');
    EXPECT_EQ(i.pixels, frame.pixels);
}

}  // namespace
