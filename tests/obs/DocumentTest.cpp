#include <gtest/gtest.h>
#include <sys/stat.h>

#include "obs/DibObs.h"
#include "obs/InterestPointObs.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/LinkedFile.h"
#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/ObsTestUtil.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesIon.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/ScanObs.h"
#include "obs/VidSeqObs.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "support/TestEnv.h"

namespace {

class DocumentTest : public CVelmTest {
  protected:
    template <class T>
    T* Add(CDataDocument& doc, int64_t t, uint16_t ms = 0) {
        auto obs = std::make_unique<T>();
        obs->SetTime(t, ms);
        T* raw = obs.get();
        doc.AddObs(std::move(obs));
        return raw;
    }
    // One of every stored class, rules and calibrations first.
    void Fill(CObsDoc& doc) {
        auto* cal = Add<CWireCalibration>(doc, kTestEpoch);
        cal->XXuAperV = cal->YYuAperV = 5000000;
        Add<CSampRulesWire>(doc, kTestEpoch);
        auto* rules = Add<CSampRulesIon>(doc, kTestEpoch + 1);
        rules->name = "K";
        rules->points.push_back(std::make_unique<CSampPointIon>());
        rules->points.push_back(std::make_unique<CSampPointIon>());
        rules->calcs.push_back(std::make_unique<CGradCalcIon>());
        Add<CIonCalibration>(doc, kTestEpoch + 1)->name = "K";
        Add<CSampRulesRawAD>(doc, kTestEpoch + 1);
        auto* wire = Add<CWireObs>(doc, kTestEpoch + 2, 5);
        wire->reading = CDVector4(0.001, 0.002, 0.003, 0.004);
        Add<CWireReference>(doc, kTestEpoch + 3);
        auto* ion = Add<CIonObs>(doc, kTestEpoch + 4);
        ion->name = "K";
        ion->SetShape(2, 1);
        ion->values = {1, 3};
        Add<CIonReference>(doc, kTestEpoch + 5)->name = "K";
        auto* raw = Add<CRawADObs>(doc, kTestEpoch + 6);
        raw->values = {0.5};
        Add<CDibObs>(doc, kTestEpoch + 7)->fileName = "img001.bmp";
        Add<CScanObs>(doc, kTestEpoch + 8)->fileName = "S001.SCN";
        Add<CVidSeqObs>(doc, kTestEpoch + 9)->fileName = "v.vsq";
        Add<CInterestPointObs>(doc, kTestEpoch + 10);
        Add<CLogEntry>(doc, kTestEpoch + 11)->text = "note";
        doc.vsOps.push_back(std::make_unique<CSampRulesWire>());
        doc.vsOps.push_back(std::make_unique<CInterestPointObs>());
    }
};

TEST_F(DocumentTest, EmptyDocumentRecordByteForByte) {
    CObsDoc doc;
    doc.vsReps = 3;
    std::string expected;
    for (int w : {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 0, 1, 1})
        expected += Le16(static_cast<uint16_t>(w));
    expected += Le32(kTestEpoch) + Le16(1407) + Le16(1399) + Le16(372) + Le16(32959);
    expected += Le32(kTestEpoch - 1800) + Le32(kTestEpoch) + Le16(1);
    expected += Le32(260) + Le32(3);
    expected += Le16(0) + Le16(10) + std::string(10, '\0');
    expected += Le16(1734) + Le16(1744) + std::string(20, '\0');
    expected += B({0, 0});  // the observation list
    expected += Le16(1) + Le16(1422) + Le16(1422) + LeDouble(3.0) + LeDouble(30.0);
    expected += Le16(1) + LeDouble(0.0) + LeDouble(-1.0) + Le16(10) + Le16(1483) + LeDouble(2.0);
    expected += Le16(1) + Le16(1) + LeDouble(0.0);
    expected += B({0, 0});  // the vector-scan operations
    EXPECT_EQ(doc.SaveToBytes(), expected);

    CObsDoc back;
    ASSERT_EQ(back.LoadFromBytes(expected), EArchiveError::None);
    EXPECT_EQ(back.vsReps, 3);
    EXPECT_EQ(back.SaveToBytes(), expected);
}

TEST_F(DocumentTest, AddObsKeepsTimeOrderAndInsertionOrderForEqualStamps) {
    CObsDoc doc;
    auto* a = Add<CLogEntry>(doc, 100, 500);
    auto* b = Add<CLogEntry>(doc, 100, 200);  // same second, fewer milliseconds: before a
    auto* c = Add<CLogEntry>(doc, 50);        // earlier than all: first
    auto* d = Add<CLogEntry>(doc, 100, 500);  // equal to a: after a
    auto* e = Add<CLogEntry>(doc, 200);
    ASSERT_EQ(doc.GetObsCount(), 5u);
    EXPECT_EQ(doc.GetObsAt(0), c);
    EXPECT_EQ(doc.GetObsAt(1), b);
    EXPECT_EQ(doc.GetObsAt(2), a);
    EXPECT_EQ(doc.GetObsAt(3), d);
    EXPECT_EQ(doc.GetObsAt(4), e);
    EXPECT_EQ(doc.GetObsAt(5), nullptr);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_FALSE(doc.AddObs(nullptr));

    int refreshed = 0;
    doc.SetUpdateViewsHook([&] { ++refreshed; });
    doc.AddLogEntry("hello");
    EXPECT_EQ(refreshed, 1);
    doc.updateView = 0;
    doc.AddLogEntry("quiet");
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(static_cast<CLogEntry*>(doc.GetObsAt(6))->text, "quiet");
}

TEST_F(DocumentTest, AutoSaveEveryNPlusTwoAdditions) {
    for (int n : {10, 0}) {
        CObsDoc doc;
        doc.SetPathName(dir.File("auto.vpo"));
        doc.autoSave = 1;
        doc.numAutoSaveObs = n;
        std::vector<int> savedAt;
        doc.SetAutoSaveHook([&](CDataDocument&) { return true; });
        for (int i = 1; i <= 3 * (n + 2); ++i) {
            const int before = doc.autoSaveCount;
            doc.AddLogEntry("x");
            if (doc.autoSaveCount == 0 && before > 0) savedAt.push_back(i);
        }
        EXPECT_EQ(savedAt, (std::vector<int>{n + 2, 2 * (n + 2), 3 * (n + 2)})) << n;
    }
    // Without a hook the document saves itself to its file.
    CObsDoc doc;
    doc.SetPathName(dir.File("auto.vpo"));
    doc.autoSave = 1;
    doc.numAutoSaveObs = 0;
    doc.AddLogEntry("one");
    doc.AddLogEntry("two");
    CObsDoc back;
    ASSERT_TRUE(back.OnOpenDocument(dir.File("auto.vpo")));
    EXPECT_EQ(back.GetObsCount(), 2u);
}

TEST_F(DocumentTest, SaveLoadSaveIsByteIdenticalWithEveryClass) {
    CObsDoc doc;
    Fill(doc);
    const std::string path = dir.File("all.vpo");
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_FALSE(doc.IsModified());
    const std::string first = ReadFileText(path);
    CObsDoc back;
    ASSERT_TRUE(back.OnOpenDocument(path));
    EXPECT_EQ(back.GetObsCount(), doc.GetObsCount());
    EXPECT_EQ(back.vsOps.size(), 2u);
    ASSERT_TRUE(back.OnSaveDocument(dir.File("again.vpo")));
    EXPECT_EQ(ReadFileText(dir.File("again.vpo")), first);
    EXPECT_TRUE(prompt.shown.empty());
    // No temporary file is left behind.
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path()))
        files += e.is_regular_file();
    EXPECT_EQ(files, 2);
}

TEST_F(DocumentTest, LargeFilesReadThroughTheBufferLikeBytesInMemory) {
    // Several megabytes: records and strings straddle the reader's buffer boundaries.
    CObsDoc doc;
    for (int i = 0; i < 3000; ++i) {
        auto* log = Add<CLogEntry>(doc, kTestEpoch + i);
        log->text =
            std::string(static_cast<size_t>(700 + i % 977), static_cast<char>('a' + i % 26));
    }
    const std::string path = dir.File("big.vpo");
    ASSERT_TRUE(doc.OnSaveDocument(path));
    const std::string bytes = ReadFileText(path);
    ASSERT_GT(bytes.size(), 3u << 20);
    CObsDoc fromFile, fromMemory;
    ASSERT_TRUE(fromFile.OnOpenDocument(path));
    ASSERT_EQ(fromMemory.LoadFromBytes(bytes), EArchiveError::None);
    EXPECT_EQ(fromFile.GetObsCount(), 3000u);
    EXPECT_EQ(fromFile.SaveToBytes(), bytes);
    EXPECT_EQ(fromMemory.SaveToBytes(), bytes);
    // Cut inside the last megabyte: the end comes early.
    WriteFileText(path, bytes.substr(0, bytes.size() - 5000));
    CObsDoc cut;
    EXPECT_FALSE(cut.OnOpenDocument(path));
    EXPECT_EQ(prompt.LastText(), "Unexpected file format.");
}

TEST_F(DocumentTest, DescriptionsUseTheCalibrationInForceAtTheirTime) {
    CObsDoc doc;
    auto* early = Add<CWireObs>(doc, kTestEpoch - 10);
    early->reading = CDVector4(0.001, 0, 0, 0);
    auto* cal = Add<CWireCalibration>(doc, kTestEpoch);
    cal->XXphase = 1.5707963267948966;
    cal->XXuAperV = cal->Resistivity * cal->SystemGain;
    auto* later = Add<CWireObs>(doc, kTestEpoch + 10);
    later->reading = CDVector4(0.001, 0, 0, 0);
    std::string before, after;
    early->Describe(before, &doc, DetailFlags::kType | DetailFlags::kData);
    EXPECT_EQ(before, "CDP Obs:  ");  // no calibration yet: title only
    later->Describe(after, &doc, DetailFlags::kType | DetailFlags::kData);
    EXPECT_EQ(after,
              "CDP Obs:      0.02     0.00     0.00     0.00 (     0.00     0.00 )     0.00    0");
    double v = 0;
    EXPECT_EQ(early->GetValue(v, ValueCode::kXCurrentDensity, &doc, nullptr), 0);
    EXPECT_EQ(later->GetValue(v, ValueCode::kXInPhase, &doc, nullptr), 2);
    EXPECT_NEAR(v, 0.02, 1e-12);
    EXPECT_EQ(later->GetValue(v, ValueCode::kVector2D, &doc, nullptr), ValueCode::kVector2D);
    // A second calibration takes over from its time on.
    auto* cal2 = Add<CWireCalibration>(doc, kTestEpoch + 5);
    cal2->SystemGain = 1000;
    std::string next;
    later->Describe(next, &doc, DetailFlags::kInformation);
    EXPECT_EQ(next, "    1.00     0.00     0.00     0.00");
}

TEST_F(DocumentTest, GradientValuesFollowThePathDirection) {
    CObsDoc doc;
    auto* rules = Add<CSampRulesIon>(doc, kTestEpoch);
    rules->name = "K";
    rules->index = 1;
    rules->points.push_back(std::make_unique<CSampPointIon>());
    rules->points.push_back(std::make_unique<CSampPointIon>());
    rules->points[1]->offset = CDVector4(10, 0, 0, 0);
    rules->calcs.push_back(std::make_unique<CGradCalcIon>());
    rules->calcs[0]->name = "G";
    auto* ion = Add<CIonObs>(doc, kTestEpoch + 1);
    ion->name = "K";
    ion->index = 1;
    ion->SetShape(2, 1);
    ion->values = {1.0, 4.0};
    double x = 0, y = 0;
    SValueQuery q;
    EXPECT_EQ(ion->GetValue(x, ValueCode::kXCurrentDensity, &doc, &q), 4);
    EXPECT_EQ(ion->GetValue(y, ValueCode::kYCurrentDensity, &doc, &q), 4);
    EXPECT_DOUBLE_EQ(x, 3.0);
    EXPECT_DOUBLE_EQ(y, 0.0);
    EXPECT_EQ(ion->GetValue(x, ValueCode::kScalar, &doc, &q), 4);
    EXPECT_DOUBLE_EQ(x, 3.0);
    q.sampleNumber = 2;
    EXPECT_EQ(ion->GetValue(x, ValueCode::kSampleNumber, &doc, &q), 4);
    EXPECT_DOUBLE_EQ(x, 4.0);
    rules->rot = 90;
    EXPECT_EQ(ion->GetValue(x, ValueCode::kXCurrentDensity, &doc, &q), 4);
    EXPECT_EQ(ion->GetValue(y, ValueCode::kYCurrentDensity, &doc, &q), 4);
    EXPECT_NEAR(x, -2.3e-8 * 3, 1e-8);
    EXPECT_NEAR(y, 3.0, 1e-9);
    q.repFirst = 2;
    q.repLast = 1;
    EXPECT_EQ(ion->GetValue(x, ValueCode::kScalar, &doc, &q), 0);
    // Other probe numbers use other rules: none here.
    ion->index = 2;
    q = SValueQuery();
    EXPECT_EQ(ion->GetValue(x, ValueCode::kScalar, &doc, &q), 0);
    ion->index = 1;
    std::string text;
    ion->Describe(text, &doc, DetailFlags::kType | DetailFlags::kData);
    EXPECT_EQ(text,
              "K Gradient1:  D/A=0.0,0.0  [1x2]: 1.000 4.000   Ref [1x2]: 0.000 0.000   G=3.000");
}

TEST_F(DocumentTest, LoadFailuresShowTheirMessageAndOpenNothing) {
    CObsDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(dir.File("missing.vpo")));
    EXPECT_EQ(prompt.LastText(), dir.File("missing.vpo") + " was not found.");
    EXPECT_EQ(prompt.shown.back().icon, EPromptIcon::Exclamation);

    CObsDoc full;
    Fill(full);
    const std::string bytes = full.SaveToBytes();
    for (size_t cut : {size_t{0}, size_t{10}, size_t{100}, bytes.size() / 2, bytes.size() - 1}) {
        WriteFileText(dir.File("cut.vpo"), bytes.substr(0, cut));
        CObsDoc d;
        EXPECT_FALSE(d.OnOpenDocument(dir.File("cut.vpo"))) << cut;
        EXPECT_EQ(prompt.LastText(), "Unexpected file format.") << cut;
        EXPECT_EQ(d.GetObsCount(), 0u);
    }
    EXPECT_FALSE(doc.OnOpenDocument(dir.Path()));
    EXPECT_EQ(prompt.LastText(), "Access to " + dir.Path() + " was denied.");
}

TEST_F(DocumentTest, HugeCountsAndDoublyOwnedObjectsAreRefused) {
    CObsDoc empty;
    std::string bytes = empty.SaveToBytes();
    const size_t listAt = 46 + 4 + 4 + 4 + 8 + 2 + 8 + 14 + 24;
    ASSERT_EQ(bytes.substr(listAt, 2), B({0, 0}));
    // A list of 4 billion observations in a file of two hundred bytes.
    std::string huge = bytes;
    huge.replace(listAt, 2, B({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    CObsDoc d1;
    EXPECT_EQ(d1.LoadFromBytes(huge), EArchiveError::UnexpectedFormat);

    // One interest point in the list, and a back-reference to it among the operations.
    CInterestPointObs point;
    std::string list = B({1, 0}) + StoreObject(point);
    std::string twice = bytes.substr(0, listAt) + list + bytes.substr(listAt + 2);
    twice.replace(twice.size() - 2, 2, B({1, 0, 2, 0}));
    CObsDoc d2;
    EXPECT_EQ(d2.LoadFromBytes(twice), EArchiveError::UnexpectedFormat);
    EXPECT_EQ(d2.GetObsCount(), 0u);
    EXPECT_TRUE(d2.vsOps.empty());
    // The same file with the operation as an object of its own loads.
    std::string once = bytes.substr(0, listAt) + list + bytes.substr(listAt + 2);
    once.replace(once.size() - 2, 2, B({1, 0, 1, 0x80}) + std::string(72, '\0'));
    CObsDoc d3;
    EXPECT_EQ(d3.LoadFromBytes(once), EArchiveError::None);
    EXPECT_EQ(d3.vsOps.size(), 1u);

    // A point of a path is not an observation.
    CSampPointIon p;
    std::string foreign =
        bytes.substr(0, listAt) + B({1, 0}) + StoreObject(p) + bytes.substr(listAt + 2);
    CObsDoc d4;
    EXPECT_EQ(d4.LoadFromBytes(foreign), EArchiveError::UnexpectedFormat);
}

// Fails after writing half of its record, as a full disk would.
class CFailingDoc : public CObsDoc {
  public:
    void Serialize(CArchive& ar) override {
        CObsDoc::Serialize(ar);
        if (ar.IsStoring()) ar.Fail(EArchiveError::WriteError, ENOSPC);
    }
};

TEST_F(DocumentTest, AFailedSaveLeavesTheOldFileAndSaysWhy) {
    const std::string path = dir.File("keep.vpo");
    CObsDoc good;
    good.AddLogEntry("precious");
    ASSERT_TRUE(good.OnSaveDocument(path));
    const std::string before = ReadFileText(path);
    CFailingDoc bad;
    for (int i = 0; i < 1000; ++i)
        bad.AddLogEntry(std::string(1000, 'x'));
    EXPECT_FALSE(bad.OnSaveDocument(path));
    EXPECT_EQ(prompt.LastText(), "Disk full while accessing " + path + ".");
    EXPECT_EQ(ReadFileText(path), before);
    for (auto& e : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos);

    EXPECT_FALSE(good.OnSaveDocument(dir.File("no/such/folder/x.vpo")));
    EXPECT_EQ(prompt.LastText(), dir.File("no/such/folder/x.vpo") + " was not found.");
}

TEST_F(DocumentTest, LinkedFilesAreFoundBesideAMovedDocument) {
    const std::string docPath = dir.File("exp.vpo");
    WriteFileText(dir.File("S0101001.SCN"), "scan");
    WriteFileText(dir.File("image001.bmp"), "bmp");
    // Stored on a Windows station; the files moved with the document.
    EXPECT_EQ(ResolveLinkedFile("C:\\VELM\\data\\SG010107\\S0101001.SCN", docPath),
              dir.File("S0101001.SCN"));
    EXPECT_EQ(ResolveLinkedFile("D:\\IMAGES\\IMAGE001.BMP", docPath), dir.File("image001.bmp"));
    EXPECT_EQ(ResolveLinkedFile("/old/place/S0101001.SCN", docPath), dir.File("S0101001.SCN"));
    // A file where the path says is used as it is.
    EXPECT_EQ(ResolveLinkedFile(dir.File("image001.bmp"), "x.vpo"), dir.File("image001.bmp"));
    EXPECT_EQ(ResolveLinkedFile("C:\\gone\\other.scn", docPath), "");
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(ResolveLinkedFile("nosep.scn", docPath), "");
    EXPECT_EQ(prompt.LastText(), "File nosep.scn not found.\n");
    EXPECT_EQ(ResolveLinkedFile("C:\\a\\S0101001.SCN", "exp.vpo"), "");
    EXPECT_EQ(prompt.LastText(), "File C:\\a\\S0101001.SCN parse error.\n");

    // Opening a scan observation opens the resolved file.
    CObsDoc doc;
    doc.SetPathName(docPath);
    CScanObs scan;
    scan.fileName = "C:\\VELM\\S0101001.SCN";
    std::string opened;
    SetOpenDocumentHook([&](const std::string& p) {
        opened = p;
        return true;
    });
    EXPECT_TRUE(scan.Open(&doc, 0));
    SetOpenDocumentHook(nullptr);
    EXPECT_EQ(opened, dir.File("S0101001.SCN"));
}

TEST_F(DocumentTest, OpeningOtherObservationsShowsTheirDescription) {
    CObsDoc doc;
    auto* log = Add<CLogEntry>(doc, kTestEpoch);
    log->text = "Export to file /d/expor001.txt complete.";
    EXPECT_TRUE(log->Open(&doc, DetailFlags::kType | DetailFlags::kInformation));
    EXPECT_EQ(prompt.LastText(), "Log Entry:  Export to file /d/expor001.txt complete.");
    EXPECT_EQ(prompt.shown.back().icon, EPromptIcon::Information);
    std::string ran;
    SetOpenExportedFileHook([&](const std::string& between) {
        ran = between;
        return true;
    });
    EXPECT_TRUE(log->Open(&doc, 0));
    EXPECT_EQ(ran, " /d/expor001.txt ");

    // The file name is all that lies between the entry's two ends, whatever words it holds.
    log->text = "Export to file /d/incomplete.runs/expor002.txt complete.";
    EXPECT_TRUE(log->Open(&doc, 0));
    EXPECT_EQ(ran, " /d/incomplete.runs/expor002.txt ");
    // A note that only mentions an export is shown, not run.
    ran.clear();
    for (const char* note :
         {"Checked: Export to file /d/x.txt complete.",
          "Export to file /d/x.txt complete. Looks fine", "Export to file complete."}) {
        log->text = note;
        EXPECT_TRUE(log->Open(&doc, DetailFlags::kInformation));
        EXPECT_EQ(prompt.LastText(), note);
    }
    EXPECT_EQ(ran, "");
    SetOpenExportedFileHook(nullptr);
}

}  // namespace
