// Scan documents (.scn): the record byte for byte against a file built by hand, the shared
// numbering of the observation list and the two gradient lists, damaged and foreign files,
// the read-only rule of saved scans, and the scan file a scan observation leads the exports to.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "obs/DataDocument.h"
#include "obs/ExportOptions.h"
#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/ScanObs.h"
#include "obs/TextExport.h"
#include "obs/WireObs.h"
#include "scan/ScanDoc.h"
#include "support/TestEnv.h"
#include "support/ToolRun.h"

namespace {

// The 1,166 bytes of the smallest useful scan file, as a hex dump (offset column first).
const char* const kMinimalDump = R"(
0000  01 00 01 00 01 00 01 00 01 00 01 00 01 00 01 00
0010  01 00 01 00 01 00 01 00 01 00 01 00 01 00 01 00
0020  01 00 01 00 00 00 01 00 00 00 01 00 01 00 c0 92
0030  56 47 7f 05 77 05 74 01 bf 80 b8 8b 56 47 c0 92
0040  56 47 01 00 04 01 00 00 03 00 00 00 00 00 0a 00
0050  00 00 00 00 00 00 00 00 00 00 c6 06 d0 06 00 00
0060  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0070  00 00 00 00 0e 2f 64 61 74 61 2f 31 32 30 35 30
0080  37 30 30 12 53 63 6e 47 72 70 30 30 30 37 57 65
0090  64 44 65 63 30 35 36 2f 64 61 74 61 2f 31 32 30
00a0  35 30 37 30 30 2f 53 63 6e 47 72 70 30 30 30 37
00b0  57 65 64 44 65 63 30 35 2f 57 65 64 44 65 63 30
00c0  35 53 63 61 6e 30 30 30 30 2e 73 63 6e 0c 00 05
00d0  00 07 00 ff ff c0 92 56 47 03 00 00 00 00 00 00
00e0  00 24 40 b8 04 00 00 01 00 04 04 05 04 18 04 af
00f0  06 ca 05 00 00 00 00 00 00 00 00 00 00 00 00 00
0100  00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 01
0110  00 00 00 04 44 65 6d 6f 00 00 00 00 00 00 00 00
0120  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0130  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0140  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0150  00 00 00 00 00 00 00 00 00 00 00 00 00 00 69 40
0160  00 00 00 00 00 00 59 40 00 00 00 00 00 00 00 00
0170  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0180  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0190  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
01a0  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
01b0  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
01c0  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
01d0  00 00 00 00 00 00 00 00 03 00 02 00 01 00 01 00
01e0  07 44 65 66 61 75 6c 74 00 00 00 00 00 00 f0 3f
01f0  00 00 00 00 00 00 f0 bf 00 00 00 00 00 00 00 00
0200  00 00 00 00 00 00 f0 3f 00 00 00 00 00 00 f0 bf
0210  00 00 00 00 00 00 f0 bf 00 00 00 00 00 00 00 00
0220  80 02 e0 01 00 00 00 00 00 00 f0 3f 00 00 00 00
0230  00 00 ff ff 00 00 00 00 00 00 00 00 00 00 00 00
0240  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0250  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0260  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0270  00 00 00 00 40 44 00 00 00 00 00 00 00 00 00 00
0280  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0290  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
02a0  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
02b0  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
02c0  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 c0
02d0  62 40 00 00 00 00 00 c0 62 40 00 00 00 00 00 00
02e0  4e 40 00 00 00 00 00 00 4e 40 00 00 00 00 00 00
02f0  59 40 00 00 00 00 00 6a e8 40 00 00 00 00 00 00
0300  ff ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0310  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0320  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0330  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0340  00 00 7b 14 ae 47 e1 7a 94 3f 00 00 00 00 00 00
0350  08 40 00 00 00 00 00 00 e0 3f 00 00 00 00 00 00
0360  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0370  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0380  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0390  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
03a0  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
03b0  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
03c0  00 00 00 00 ff ff 00 00 00 00 00 00 00 00 00 00
03d0  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
03e0  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
03f0  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0400  00 00 00 00 00 00 7b 14 ae 47 e1 7a 94 3f 00 00
0410  00 00 00 00 08 40 00 00 00 00 00 00 e0 3f 00 00
0420  00 00 00 00 00 00 00 00 ff ff 00 00 00 00 00 00
0430  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0440  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0450  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
0460  00 00 00 00 00 00 00 00 00 00 7b 14 ae 47 e1 7a
0470  94 3f 9a 99 99 99 99 99 c9 3f 64 00 00 00 00 00
0480  00 00 00 00 59 40 01 00 01 00 04 00 04 00
)";

// The bytes of a dump: each line's offset column is skipped, the rest read as hex pairs.
std::string FromDump(const char* dump) {
    std::string out;
    std::string text(dump);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        const std::string line = text.substr(pos, eol - pos);
        pos = eol + 1;
        if (line.size() < 6) continue;
        for (size_t i = 6; i + 1 < line.size() + 1; i += 3)
            out.push_back(static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16)));
    }
    return out;
}

// VELM_FUZZ_SEED_DIR=<folder> keeps the files these tests build there (the fuzz corpus' scan
// seeds are made so).
void KeepSeed(const std::string& name, const std::string& bytes) {
    if (const char* folder = std::getenv("VELM_FUZZ_SEED_DIR"))
        std::ofstream(std::string(folder) + "/" + name, std::ios::binary) << bytes;
}

class ScanDocTest : public CVelmTest {
  protected:
    // The minimal scan: 3 x 2 points, Flyback, probe, X first, one CDP point per grid point.
    static void FillMinimal(CScanDoc& doc) {
        doc.rootDir = "/data/12050700";
        doc.groupDir = "ScnGrp0007WedDec05";
        doc.scanFile = "/data/12050700/ScnGrp0007WedDec05/WedDec05Scan0000.scn";
        doc.month = 12;
        doc.day = 5;
        doc.groupNumber = 7;
        doc.lastScan = -1;
        doc.startTime = kTestEpoch;
        doc.reps = 3;
        doc.interval = 10.0;
        doc.intervalUnit = kUnitSeconds;
        doc.readOnly = true;
        doc.gridType = kGridFlyback;
        doc.scanTool = kScanToolProbe;
        doc.moveType = kMoveFast;
        doc.stepType = kStepGrid;
        doc.firstAxis = kFirstAxisX;
        doc.storeWire = true;
        doc.showStatus = true;
        doc.paramSetName = "Demo";
        doc.end = CDVector4(200, 100, 0, 0);
        doc.steps = CIVector4(3, 2, 1, 1);
        doc.opticalSystem.name = "Default";
        for (CVelmObs* record :
             {static_cast<CVelmObs*>(&doc.wireCal), static_cast<CVelmObs*>(&doc.wireCal.rules),
              static_cast<CVelmObs*>(&doc.wireRules), static_cast<CVelmObs*>(&doc.rawADRules)})
            record->SetTime(0, 0);
    }

    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = dir.File(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
};

TEST_F(ScanDocTest, MinimalFileIsWrittenByteForByteAndReadBack) {
    const std::string expected = FromDump(kMinimalDump);
    ASSERT_EQ(expected.size(), 1166u);
    CScanDoc doc;
    FillMinimal(doc);
    EXPECT_EQ(doc.SaveToBytes(), expected);
    KeepSeed("minimal.scn", doc.SaveToBytes());

    CScanDoc read;
    ASSERT_EQ(read.LoadFromBytes(expected), EArchiveError::None);
    EXPECT_EQ(read.scanFile, doc.scanFile);
    EXPECT_EQ(read.paramSetName, "Demo");
    EXPECT_EQ(read.lastScan, 65535);  // -1 is a WORD in the file
    EXPECT_EQ(read.startTime, kTestEpoch);
    EXPECT_EQ(read.steps.x, 3);
    EXPECT_EQ(read.steps.y, 2);
    EXPECT_DOUBLE_EQ(read.end.x, 200.0);
    EXPECT_EQ(read.opticalSystem.name, "Default");
    EXPECT_TRUE(read.readOnly);
    EXPECT_FALSE(read.CanUserSave());
    // Whatever loads saves to the same bytes (-1 came back as 65535 and goes out as FF FF).
    EXPECT_EQ(read.SaveToBytes(), expected);
}

TEST_F(ScanDocTest, EveryTruncationOfTheMinimalFileIsRefused) {
    const std::string bytes = FromDump(kMinimalDump);
    for (size_t n = 0; n < bytes.size(); ++n) {
        CScanDoc doc;
        EXPECT_NE(doc.LoadFromBytes(std::string_view(bytes).substr(0, n)), EArchiveError::None)
            << "prefix of " << n << " bytes";
        EXPECT_EQ(doc.GetObsCount(), 0u);
        EXPECT_TRUE(doc.ionRules.empty());
    }
}

// The observation list and both gradient lists draw on one numbering of classes and objects;
// nested points and calculations number after the rules that hold them.
TEST_F(ScanDocTest, NumberedExampleSharesOneNumberingAcrossTheLists) {
    CScanDoc doc;
    FillMinimal(doc);
    doc.storeGradient = true;
    doc.listExtent[1] = 8;
    auto log = std::make_unique<CLogEntry>();
    log->SetTime(kTestEpoch + 1, 0);
    log->text =
        "Optical system Default in use: 1.000000, -1.000000, 0.000000; 1.000000, -1.000000, "
        "-1.000000, 0.000000  DefFrame=640,480  Aspect=1.000000";
    ASSERT_EQ(log->text.size(), 137u);
    doc.AddObs(std::move(log));
    auto cal = std::make_unique<CWireCalibration>();
    cal->SetTime(kTestEpoch + 1, 0);
    cal->rules.SetTime(0, 0);
    doc.AddObs(std::move(cal));
    auto rules = std::make_unique<CSampRulesWire>();
    rules->SetTime(kTestEpoch + 1, 0);
    doc.AddObs(std::move(rules));
    for (int i = 0; i < 2; ++i) {
        auto point = std::make_unique<CWireObs>();
        point->SetTime(kTestEpoch + 1, i == 0 ? 20 : 565);
        point->reading = CDVector4(0.1, 0.2, 0.3, 0.4);
        point->probePosition = CDVector4(100.0 * i, 0, 0, 0);
        doc.AddObs(std::move(point));
    }
    auto ionCal = std::make_unique<CIonCalibration>();
    ionCal->SetTime(0, 0);
    ionCal->name = "pH";
    doc.ionCals.push_back(std::move(ionCal));
    auto ionRules = std::make_unique<CSampRulesIon>();
    ionRules->SetTime(0, 0);
    ionRules->name = "pH";
    for (const char* name : {"Sample1", "Sample2"}) {
        auto p = std::make_unique<CSampPointIon>();
        p->name = name;
        ionRules->points.push_back(std::move(p));
    }
    auto calc = std::make_unique<CGradCalcIon>();
    calc->name = "Gradient1";
    ionRules->calcs.push_back(std::move(calc));
    doc.ionRules.push_back(std::move(ionRules));

    const std::string bytes = doc.SaveToBytes();
    KeepSeed("numbered-example.scn", bytes);
    ASSERT_EQ(bytes.size(), 2846u);
    auto at = [&](size_t offset, size_t n) { return bytes.substr(offset, n); };
    EXPECT_EQ(at(0x72, 2), std::string("\x05\x00", 2));
    const std::string newClass("\xFF\xFF\x01\x00", 4);
    for (size_t offset : {0x74, 0x155, 0x2FB, 0x371, 0x7DB, 0x91D, 0x9B3, 0xA92})
        EXPECT_EQ(at(offset, 4), newClass) << "class description at " << offset;
    EXPECT_EQ(at(0x74 + 6, 9), "CLogEntry");
    EXPECT_EQ(at(0x407, 2), "\x07\x80");  // the second CWireObs: class 7
    EXPECT_EQ(at(0xA2A, 2), "\x0E\x80");  // the second point: class 14

    CScanDoc read;
    ASSERT_EQ(read.LoadFromBytes(bytes), EArchiveError::None);
    EXPECT_EQ(read.GetObsCount(), 5u);
    ASSERT_EQ(read.ionRules.size(), 1u);
    EXPECT_EQ(read.ionRules[0]->points.size(), 2u);
    EXPECT_EQ(read.ionRules[0]->points[1]->name, "Sample2");
    ASSERT_EQ(read.ionCals.size(), 1u);
    EXPECT_EQ(read.ionCals[0]->name, "pH");
    EXPECT_EQ(read.SaveToBytes(), bytes);
}

// A gradient list holding something else than its own kind is a damaged or foreign file.
TEST_F(ScanDocTest, GradientListsRefuseOtherClasses) {
    CScanDoc doc;
    FillMinimal(doc);
    auto rules = std::make_unique<CSampRulesIon>();
    rules->name = "pH";
    doc.ionRules.push_back(std::move(rules));
    const std::string bytes = doc.SaveToBytes();
    // ... wireCal | 00 00 (ionCals) | wireRules (98) | 01 00 rules | rawADRules (108)
    const size_t calsAt = 956;
    ASSERT_EQ(bytes.substr(calsAt, 2), std::string("\x00\x00", 2));
    const size_t rulesAt = calsAt + 2 + 98;
    const std::string element = bytes.substr(rulesAt + 2, bytes.size() - 108 - rulesAt - 2);
    // The rules written where the calibrations go.
    const std::string swapped = bytes.substr(0, calsAt) + std::string("\x01\x00", 2) + element +
                                bytes.substr(calsAt + 2, 98) + std::string("\x00\x00", 2) +
                                bytes.substr(bytes.size() - 108);
    ASSERT_EQ(swapped.size(), bytes.size());
    CScanDoc read;
    EXPECT_EQ(read.LoadFromBytes(swapped), EArchiveError::UnexpectedFormat);
    EXPECT_TRUE(read.ionCals.empty());
    // A document of another kind is not a scan either.
    const std::string path = WriteFile("swapped.scn", swapped);
    std::string message;
    EXPECT_EQ(LoadScanDocument(path, message), nullptr);
    EXPECT_EQ(message, "Unexpected file format.");
}

TEST_F(ScanDocTest, SavedScanIsReadOnly) {
    CScanDoc doc;
    FillMinimal(doc);
    const std::string path = dir.File("WedDec05Scan0000.scn");
    std::string message;
    ASSERT_TRUE(doc.SaveFile(path, message)) << message;
    const std::string before = ReadFileText(path);

    std::unique_ptr<CScanDoc> read = LoadScanDocument(path, message);
    ASSERT_NE(read, nullptr) << message;
    EXPECT_FALSE(read->CanUserSave());
    read->AddLogEntry("a note");
    EXPECT_FALSE(read->SaveByUser(path, message));
    EXPECT_NE(message.find("read-only"), std::string::npos);
    EXPECT_FALSE(read->SaveByUser(dir.File("copy.scn"), message));
    EXPECT_EQ(ReadFileText(path), before);

    // A new scan document, not yet taken, may be saved.
    CScanDoc fresh;
    EXPECT_TRUE(fresh.CanUserSave());
    EXPECT_TRUE(fresh.SaveByUser(dir.File("new.scn"), message)) << message;
}

TEST_F(ScanDocTest, PointCountAndEstimate) {
    CScanDoc doc;
    FillMinimal(doc);
    EXPECT_EQ(doc.PointCount(), 6);
    EXPECT_DOUBLE_EQ(doc.EstimatedSeconds(), 6 * doc.wireRules.GetNumber(false));
    doc.stepType = kStepLine;
    doc.numPoints = 1;  // a line has at least its two ends
    EXPECT_EQ(doc.PointCount(), 2);
    doc.stepType = kStepLogGrid;
    doc.steps = CIVector4(4, -1, 0, 2);
    EXPECT_EQ(doc.PointCount(), 8);
    doc.storeWire = false;
    doc.storeRawAD = true;
    EXPECT_DOUBLE_EQ(doc.EstimatedSeconds(), 8 * doc.rawADRules.GetNumber());
}

// A scan observation in an observation document: its scan file is found beside the document
// (the folder moved with it), held behind the scan-document interface, and read by the exports.
TEST_F(ScanDocTest, ScanObservationOpensItsFileForExports) {
    CScanDoc scan;
    FillMinimal(scan);
    auto point = std::make_unique<CWireObs>();
    point->reading = CDVector4(0.5, 0, 0, 0);
    scan.AddObs(std::move(point));
    scan.AddLogEntry("inside the scan");
    std::string message;
    ASSERT_TRUE(scan.SaveFile(dir.File("WedDec05Scan0000.scn"), message)) << message;

    CObsDoc obsDoc;
    auto obs = std::make_unique<CScanObs>();
    obs->fileName = "/elsewhere/ScnGrp0007WedDec05/WedDec05Scan0000.scn";
    obs->scanNumber = 0;
    CScanObs* raw = obs.get();
    obsDoc.AddObs(std::move(obs));
    ASSERT_TRUE(obsDoc.SaveFile(dir.File("data.vpo"), message)) << message;

    ASSERT_TRUE(AttachScanDocument(*raw, &obsDoc, message)) << message;
    ASSERT_NE(raw->scanDocument, nullptr);
    EXPECT_DOUBLE_EQ(raw->GetNumber(), scan.EstimatedSeconds());

    InstallScanDocumentOpener();
    CStringSink sink;
    ASSERT_TRUE(WriteTextExport(obsDoc, ExportOptionsOf(obsDoc), SExportRange{}, "out.txt", sink));
    EXPECT_NE(sink.text.find("inside the scan"), std::string::npos) << sink.text;
    SetScanDocumentOpener(nullptr);

    // A file that is not there: the user is told, the observation keeps no document.
    CScanObs missing;
    missing.fileName = dir.File("nothere.scn");
    EXPECT_FALSE(AttachScanDocument(missing, &obsDoc, message));
    EXPECT_EQ(missing.scanDocument, nullptr);
}

// velm-tool reads scan files by their extension, whatever its letter case, and exports of an
// observation document take in the scans it lists.
TEST_F(ScanDocTest, ToolDescribesExportsAndRoundtripsScanFiles) {
    CScanDoc scan;
    FillMinimal(scan);
    auto point = std::make_unique<CWireObs>();
    point->SetTime(kTestEpoch + 2, 0);
    point->reading = CDVector4(0.1, 0.2, 0.3, 0.4);
    scan.AddObs(std::move(point));
    const std::string path = dir.File("WEDDEC05SCAN0000.SCN");
    std::string message;
    ASSERT_TRUE(scan.SaveFile(path, message)) << message;
    const std::string ini = dir.File("velm.ini");
    WriteFileText(ini, "");

    SToolRun run = RunVelmTool(ini, "describe " + path, dir.Path());
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("CDP Obs:"), std::string::npos) << run.out;

    run = RunVelmTool(ini, "roundtrip " + path + " " + dir.File("copy.scn"), dir.Path());
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(ReadFileText(dir.File("copy.scn")), ReadFileText(path));

    // The minimal file as the dump gives it goes through unchanged.
    WriteFile("min.scn", FromDump(kMinimalDump));
    run = RunVelmTool(ini, "roundtrip " + dir.File("min.scn") + " " + dir.File("min2.scn"),
                      dir.Path());
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(ReadFileText(dir.File("min2.scn")), FromDump(kMinimalDump));

    // A damaged scan is refused, not read as its first part.
    const std::string bytes = ReadFileText(path);
    WriteFile("cut.scn", bytes.substr(0, bytes.size() - 10));
    run = RunVelmTool(ini, "export " + dir.File("cut.scn"), dir.Path());
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Unexpected file format."), std::string::npos) << run.err;

    CObsDoc obsDoc;
    auto obs = std::make_unique<CScanObs>();
    obs->SetTime(kTestEpoch + 5, 0);
    obs->fileName = path;
    obsDoc.AddObs(std::move(obs));
    ASSERT_TRUE(obsDoc.SaveFile(dir.File("data.vpo"), message)) << message;
    run = RunVelmTool(ini, "export --tab " + dir.File("data.vpo"), dir.Path());
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("CurrentDensityObs"), std::string::npos) << run.out;
    run = RunVelmTool(ini, "export --tab " + path, dir.Path());
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("CurrentDensityObs"), std::string::npos) << run.out;
}

}  // namespace
