// Crash-safe scans: a journal written point by point, the process's state dropped as in a
// crash, and recovery from the folder as the next start (or velm-tool recover) does it.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/ScanObs.h"
#include "obs/WireObs.h"
#include "scan/ScanDoc.h"
#include "scan/ScanJournal.h"
#include "scan/ScanRecovery.h"
#include "support/TestEnv.h"
#include "support/ToolRun.h"

namespace fs = std::filesystem;

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

class ScanJournalTest : public CVelmTest {
  protected:
    ScanJournalTest() {
        groupDir = dir.File("ScnGrp0007WedDec05");
        fs::create_directories(groupDir);
        scanFile = groupDir + "/WedDec05Scan0003.scn";
        obsDocPath = dir.File("data.vpo");
    }

    // A scan of `points` CDP points as the engine runs it: the document with its copies of the
    // rules, the journal begun, each point appended as it is added. The journal object is
    // dropped without Finish, as when the program dies.
    void RunScanThatDies(int points, int total) {
        CScanDoc doc;
        doc.scanFile = scanFile;
        doc.startTime = kTestEpoch;
        doc.steps = CIVector4(total, 1, 1, 1);
        doc.end = CDVector4(100, 0, 0, 0);
        doc.AddObs(std::make_unique<CSampRulesWire>(), false);
        CScanJournal journal;
        std::string message;
        ASSERT_TRUE(journal.Begin(doc, obsDocPath, 3, total, message)) << message;
        for (int i = 0; i < points; ++i) {
            clock.Advance(500);
            auto obs = std::make_unique<CWireObs>();
            obs->StampNow();
            obs->reading = CDVector4(0.001 * (i + 1), 0, 0, 0);
            obs->probePosition = CDVector4(10.0 * i, 0, 0, 0);
            ASSERT_TRUE(journal.Append(*obs, i + 1, message)) << message;
            doc.AddObs(std::move(obs));
        }
    }

    std::string groupDir, scanFile, obsDocPath;
};

TEST_F(ScanJournalTest, CrashedScanIsRecoveredWithEveryAppendedObservation) {
    CObsDoc obsDoc;
    obsDoc.AddLogEntry("before the scan");
    std::string message;
    ASSERT_TRUE(obsDoc.SaveFile(obsDocPath, message)) << message;

    RunScanThatDies(4, 10);
    const std::string journal = CScanJournal::PathFor(scanFile);
    ASSERT_TRUE(Exists(journal));
    ASSERT_FALSE(Exists(scanFile));

    const SScanRecoveryReport report = RecoverScanJournals(dir.Path());
    ASSERT_EQ(report.failures.size(), 0u) << report.failures[0];
    ASSERT_EQ(report.recovered.size(), 1u);
    const SRecoveredScan& r = report.recovered[0];
    EXPECT_EQ(r.scanFile, scanFile);
    EXPECT_EQ(r.scanNumber, 3);
    EXPECT_EQ(r.observations, 4u);
    EXPECT_TRUE(r.addedToObsDoc);
    EXPECT_FALSE(Exists(journal));

    std::unique_ptr<CScanDoc> scan = LoadScanDocument(scanFile, message);
    ASSERT_NE(scan, nullptr) << message;
    // VELM_FUZZ_SEED_DIR=<folder> keeps the recovered file there (a seed of the fuzz corpus).
    if (const char* seeds = std::getenv("VELM_FUZZ_SEED_DIR"))
        fs::copy_file(scanFile, std::string(seeds) + "/recovered-scan.scn",
                      fs::copy_options::overwrite_existing);
    EXPECT_TRUE(scan->readOnly);
    EXPECT_EQ(scan->scanFile, scanFile);
    // The rules copy, four points, and the log entry saying where it stopped.
    ASSERT_EQ(scan->GetObsCount(), 6u);
    for (int i = 0; i < 4; ++i) {
        const auto* point = dynamic_cast<const CWireObs*>(scan->GetObsAt(1 + i));
        ASSERT_NE(point, nullptr);
        EXPECT_DOUBLE_EQ(point->reading.x, 0.001 * (i + 1));
        EXPECT_DOUBLE_EQ(point->probePosition.x, 10.0 * i);
    }
    const auto* log = dynamic_cast<const CLogEntry*>(scan->GetObsAt(5));
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->text, "Scan interrupted at point 5 of 10; recovered from journal.");

    CObsDoc reread;
    ASSERT_TRUE(reread.LoadFile(obsDocPath, message)) << message;
    ASSERT_EQ(reread.GetObsCount(), 2u);
    const auto* scanObs = dynamic_cast<const CScanObs*>(reread.GetObsAt(1));
    ASSERT_NE(scanObs, nullptr);
    EXPECT_EQ(scanObs->scanNumber, 3);
    EXPECT_EQ(scanObs->fileName, scanFile);

    // Nothing left to do the second time.
    EXPECT_TRUE(RecoverScanJournals(dir.Path()).Empty());
}

TEST_F(ScanJournalTest, TornLastRecordIsDropped) {
    RunScanThatDies(3, 5);
    const std::string journal = CScanJournal::PathFor(scanFile);
    // The third record half written, then a fourth damaged in its middle.
    const auto size = fs::file_size(journal);
    std::string bytes = ReadFileText(journal);
    const std::string cut = bytes.substr(0, size - 20);
    WriteFileText(journal, cut);
    SRecoveredScan r;
    std::string why;
    ASSERT_TRUE(RecoverScanJournal(journal, r, why)) << why;
    EXPECT_EQ(r.observations, 2u);
    EXPECT_EQ(r.pointsDone, 2);
    std::string message;
    std::unique_ptr<CScanDoc> scan = LoadScanDocument(scanFile, message);
    ASSERT_NE(scan, nullptr);
    EXPECT_EQ(dynamic_cast<const CLogEntry*>(scan->GetObsAt(scan->GetObsCount() - 1))->text,
              "Scan interrupted at point 3 of 5; recovered from journal.");

    // A flipped byte inside a whole record: its checksum drops it and all after it.
    fs::remove(scanFile);
    bytes[bytes.size() - 30] ^= 0x55;
    WriteFileText(journal, bytes);
    ASSERT_TRUE(RecoverScanJournal(journal, r, why)) << why;
    EXPECT_EQ(r.observations, 2u);

    // Without a whole start record nothing can be made: the journal stays, the caller is told.
    WriteFileText(journal, bytes.substr(0, 30));
    EXPECT_FALSE(RecoverScanJournal(journal, r, why));
    EXPECT_TRUE(Exists(journal));
    const SScanRecoveryReport report = RecoverScanJournals(dir.Path());
    EXPECT_EQ(report.failures.size(), 1u);
}

TEST_F(ScanJournalTest, FinishedScanLeavesNoJournal) {
    CScanDoc doc;
    doc.scanFile = scanFile;
    CScanJournal journal;
    std::string message;
    ASSERT_TRUE(journal.Begin(doc, "", 0, 2, message));
    EXPECT_TRUE(journal.IsOpen());
    CWireObs obs;
    ASSERT_TRUE(journal.Append(obs, 1, message));
    doc.readOnly = true;
    ASSERT_TRUE(doc.SaveFile(scanFile, message));
    journal.Finish();
    EXPECT_FALSE(journal.IsOpen());
    EXPECT_FALSE(Exists(CScanJournal::PathFor(scanFile)));
    EXPECT_TRUE(RecoverScanJournals(dir.Path()).Empty());
}

// The scan saved its file but died before removing the journal: the file stays as saved.
TEST_F(ScanJournalTest, JournalBesideCompleteScanFileIsOnlyRemoved) {
    CScanDoc doc;
    doc.scanFile = scanFile;
    doc.startTime = kTestEpoch;
    doc.AddLogEntry("the whole scan");
    std::string message;
    {
        CScanJournal journal;
        ASSERT_TRUE(journal.Begin(doc, "", 1, 2, message));
        doc.readOnly = true;
        ASSERT_TRUE(doc.SaveFile(scanFile, message));
    }  // the program dies here
    const std::string saved = ReadFileText(scanFile);
    const SScanRecoveryReport report = RecoverScanJournals(dir.Path());
    ASSERT_EQ(report.recovered.size(), 1u);
    EXPECT_TRUE(report.recovered[0].alreadyComplete);
    EXPECT_EQ(ReadFileText(scanFile), saved);
    EXPECT_FALSE(Exists(CScanJournal::PathFor(scanFile)));
    EXPECT_NE(ScanRecoveryMessage(report).find("already saved"), std::string::npos);
}

// A journal held by a scan that is still running is not touched (a recovery beside the
// running program).
TEST_F(ScanJournalTest, LiveJournalIsLeftAlone) {
    CScanDoc doc;
    doc.scanFile = scanFile;
    CScanJournal journal;
    std::string message;
    ASSERT_TRUE(journal.Begin(doc, "", 0, 2, message));
    EXPECT_TRUE(RecoverScanJournals(dir.Path()).Empty());
    EXPECT_TRUE(Exists(CScanJournal::PathFor(scanFile)));
    EXPECT_FALSE(Exists(scanFile));
}

TEST_F(ScanJournalTest, ParsingIsBoundedOnDamagedInput) {
    SScanJournalContents contents;
    std::string why;
    EXPECT_FALSE(ParseScanJournal("", contents, why));
    EXPECT_FALSE(ParseScanJournal("VELMSCNJ", contents, why));
    // A length that claims far more than is there.
    std::string huge = std::string("VELMSCNJ") + std::string("\xFF\xFF\xFF\x7F\0\0\0\0", 8);
    EXPECT_FALSE(ParseScanJournal(huge, contents, why));
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
}

TEST_F(ScanJournalTest, ToolRecoversAFolder) {
    RunScanThatDies(2, 4);
    const std::string ini = dir.File("velm.ini");
    WriteFileText(ini, "");
    SToolRun run = RunVelmTool(ini, "recover " + dir.Path(), dir.Path());
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, scanFile + ": scan 3 recovered, 2 observations, stopped at point 3 of 4\n");
    run = RunVelmTool(ini, "describe " + scanFile, dir.Path());
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("Scan interrupted at point 3 of 4"), std::string::npos) << run.out;
    // A journal that cannot be recovered: exit 1.
    WriteFileText(CScanJournal::PathFor(scanFile), "VELMSCNJ\x01");
    run = RunVelmTool(ini, "recover " + dir.Path(), dir.Path());
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("the journal's start is damaged"), std::string::npos) << run.err;
    EXPECT_EQ(RunVelmTool(ini, "recover", dir.Path()).code, 2);
}

}  // namespace
