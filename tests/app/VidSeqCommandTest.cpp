// Mode > "Video &Sequence" without a screen: the set-up starts from the last values used and
// the stages' positions, the acquired sequence is recorded in the observation document, and
// a cancelled set-up leaves no trace.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/VidSeqCommand.h"
#include "hw/Devices.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "obs/ObsDoc.h"
#include "obs/VidSeqObs.h"
#include "scan/VidSeqDoc.h"
#include "scan/VidSeqSetup.h"
#include "settings/FileNumbering.h"
#include "support/TestEnv.h"
#include "tech/Station.h"

namespace fs = std::filesystem;

namespace {

class VidSeqCommandTest : public CVelmTest {
  protected:
    VidSeqCommandTest() {
        profile.WriteProfileString(kMainframeSection, "Line 0", dir.Path());
        profile.WriteProfileString(kVidSeqDocSection, "Line 5", "Steps: 2 2 1 1");
        profile.WriteProfileString(kVidSeqDocSection, "Line 0",
                                   "Move Tool: P  Move Type: \x18  Wait 0.250000 sec,  avg 1");
        profile.WriteProfileString("Optical Systems", "Number of systems", "1");
        profile.WriteProfileString("Optical Systems", "Name 0", "x10");
        profile.WriteProfileString("Optical Systems", "Active system", "x10");
        profile.WriteProfileString("Optical Systems", "x10",
                                   "0.5, -0.5, 0.0; 1.0, -1.0, -1.0, 0.0  DefFrame=640,480  "
                                   "Aspect=1.0");
        for (const char* section : {kProbeMotionSection, kSampleMotionSection})
            profile.WriteProfileString(section, "Line 1", "Steps/micron: 10 10 10 10");
        devices = std::make_unique<CDevices>();
        station = std::make_unique<CStation>(devices.get());
        devices->FgBoard().captureWidth = 16;
        devices->FgBoard().captureHeight = 16;
        devices->ProbeSystem().SetPosition(1, 2, 3, 4);
    }
    std::unique_ptr<CDevices> devices;
    std::unique_ptr<CStation> station;  // stamps observations with the stages' positions
    CObsDoc doc;
};

TEST_F(VidSeqCommandTest, AnAcquiredSequenceIsRecordedInTheObservationDocument) {
    CVidSeqCommand command(doc, *devices);
    std::string shownSystem;
    command.setupDialog = [&](CVidSeqSetupLogic& logic) {
        EXPECT_EQ(logic.tool, 'P');
        EXPECT_EQ(logic.steps[0], "2");
        EXPECT_EQ(logic.probeHome[3], "4");  // "here": where the probe stands
        shownSystem = logic.opticalSystem;
        logic.end[0] = "30";
        std::string error;
        return logic.Accept(error);
    };
    const std::string path = command.Run();
    EXPECT_EQ(shownSystem, "x10");
    ASSERT_EQ(path, dir.File("V1205000/v1205000.vsq"));
    ASSERT_EQ(doc.GetObsCount(), 1u);
    const auto& record = static_cast<const CVidSeqObs&>(*doc.GetObsAt(0));
    EXPECT_EQ(record.fileName, path);
    EXPECT_EQ(record.steps, CIVector4(2, 2, 1, 1));
    EXPECT_EQ(record.probePosition, CDVector4(1, 2, 3, 4));  // home again

    CVidSeqDoc sequence;
    ASSERT_TRUE(sequence.OnOpenDocument(path));
    EXPECT_EQ(sequence.GetObsCount(), 4u);
    EXPECT_EQ(sequence.opticalSystem.name, "x10");
    EXPECT_EQ(sequence.opticalSystem.umPerPixelX, 0.5);
    EXPECT_EQ(sequence.GetObsAt(1)->probePosition, CDVector4(30, 0, 0, 0));
    // The next set-up starts from these values.
    EXPECT_EQ(profile.GetProfileString(kVidSeqDocSection, "Line 4"),
              "End: 30.000000 0.000000 0.000000 0.000000");
}

TEST_F(VidSeqCommandTest, ACancelledSetupLeavesNoTrace) {
    CVidSeqCommand command(doc, *devices);
    command.setupDialog = [](CVidSeqSetupLogic&) { return false; };
    EXPECT_EQ(command.Run(), "");
    EXPECT_EQ(doc.GetObsCount(), 0u);
    EXPECT_EQ(GetNextVideoSequenceNumber(), 0);
    EXPECT_FALSE(fs::exists(dir.File("V1205000")));
    EXPECT_TRUE(prompt.shown.empty());
}

}  // namespace
