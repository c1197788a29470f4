#include <gtest/gtest.h>

#include "obs/Archive.h"
#include "obs/InterestPointObs.h"
#include "obs/LogEntry.h"
#include "obs/ObsTestUtil.h"
#include "obs/SampRulesIon.h"
#include "obs/WireObs.h"
#include "platform/Vector4.h"
#include "support/TestEnv.h"

namespace {

class ArchiveTest : public CVelmTest {};

std::string StoredString(size_t length) {
    CArchive ar;
    ar.WriteString(std::string(length, 'a'));
    std::string bytes = ar.TakeBytes();
    return bytes.substr(0, bytes.size() - length);  // the prefix only
}

TEST_F(ArchiveTest, PrimitivesAreLittleEndianAndTimesKeepTheirLow32Bits) {
    CArchive ar;
    ar.WriteByte(0xAB);
    ar.WriteWord(0x1234);
    ar.WriteDWord(0x89ABCDEF);
    ar.WriteDouble(1.0);
    ar.WriteTime(-1);
    ar.WriteTime(0x1'0000'0005LL);  // past 2106: only the low 32 bits travel
    EXPECT_EQ(ar.Bytes(), B({0xAB, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89}) + LeDouble(1.0) +
                              B({0xFF, 0xFF, 0xFF, 0xFF, 0x05, 0, 0, 0}));

    CArchive in(ar.Bytes());
    EXPECT_EQ(in.ReadByte(), 0xAB);
    EXPECT_EQ(in.ReadWord(), 0x1234);
    EXPECT_EQ(in.ReadDWord(), 0x89ABCDEFu);
    EXPECT_EQ(in.ReadDouble(), 1.0);
    EXPECT_EQ(in.ReadTime(), -1);  // sign-extended
    EXPECT_EQ(in.ReadTime(), 5);
    EXPECT_FALSE(in.Failed());
    EXPECT_EQ(in.ReadWord(), 0);  // past the end: zero and a failure
    EXPECT_EQ(in.Error(), EArchiveError::UnexpectedFormat);
}

TEST_F(ArchiveTest, StringLengthPrefixesOfEveryClass) {
    EXPECT_EQ(StoredString(0), B({0x00}));
    EXPECT_EQ(StoredString(254), B({0xFE}));
    EXPECT_EQ(StoredString(255), B({0xFF, 0xFF, 0x00}));
    EXPECT_EQ(StoredString(300), B({0xFF, 0x2C, 0x01}));
    EXPECT_EQ(StoredString(65533), B({0xFF, 0xFD, 0xFF}));
    EXPECT_EQ(StoredString(65534), B({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(StoredString(70000), B({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
    for (size_t n : {0, 1, 254, 255, 300, 65533, 65534, 70000}) {
        CArchive ar;
        std::string s(n, 'x');
        if (n > 0) s[n - 1] = '\xE9';  // 8-bit text stays as it is
        ar.WriteString(s);
        CArchive in(ar.Bytes());
        EXPECT_EQ(in.ReadString(), s) << n;
        EXPECT_EQ(in.Remaining(), 0u) << n;
    }
}

TEST_F(ArchiveTest, ReadsTheLongestLengthFormAndWideStrings) {
    // 0xFF, 0xFFFF, 0xFFFFFFFF, then the length in 8 bytes.
    const std::string longBytes =
        B({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0, 0, 0, 0}) + "hi";
    CArchive longForm(longBytes);
    EXPECT_EQ(longForm.ReadString(), "hi");
    EXPECT_FALSE(longForm.Failed());
    // The wide-character marker: the length again, then UTF-16 units.
    const std::string wideBytes = B({0xFF, 0xFE, 0xFF, 3, 'A', 0, 0xE9, 0, 0x3A, 0x04});
    CArchive wide(wideBytes);
    EXPECT_EQ(wide.ReadString(), "A\xE9?");
    EXPECT_FALSE(wide.Failed());
}

TEST_F(ArchiveTest, CountsUseTheEscapeFrom0xFFFF) {
    CArchive ar;
    ar.WriteCount(0);
    ar.WriteCount(0xFFFE);
    ar.WriteCount(0xFFFF);
    ar.WriteCount(0x12345);
    EXPECT_EQ(ar.Bytes(), B({0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0x45, 0x23,
                             0x01, 0x00}));
    CArchive in(ar.Bytes());
    EXPECT_EQ(in.ReadCount(), 0u);
    EXPECT_EQ(in.ReadCount(), 0xFFFEu);
    EXPECT_EQ(in.ReadCount(), 0xFFFFu);
    EXPECT_EQ(in.ReadCount(), 0x12345u);
}

TEST_F(ArchiveTest, VectorsAreEmbeddedAndIntegerVectorsTravelAsWords) {
    CArchive ar;
    CDVector4 d(1, 2, 3, 4);
    CIVector4 i(-1, 2, 65536 + 3, 4);
    ar.Vector(d);
    ar.Vector(i);
    EXPECT_EQ(ar.Bytes(), LeDouble(1) + LeDouble(2) + LeDouble(3) + LeDouble(4) +
                              B({0xFF, 0xFF, 2, 0, 3, 0, 4, 0}));
    CArchive in(ar.Bytes());
    CDVector4 d2;
    CIVector4 i2;
    in.Vector(d2);
    in.Vector(i2);
    EXPECT_EQ(d2, d);
    EXPECT_EQ(i2, CIVector4(65535, 2, 3, 4));  // zero-extended
}

TEST_F(ArchiveTest, ObjectReferencesShareOneNumbering) {
    CInterestPointObs a, b;
    CLogEntry log;
    a.SetTime(1, 0);
    b.SetTime(2, 0);
    log.SetTime(3, 0);
    CArchive ar;
    ar.WriteObject(&a);    // class 1, object 2
    ar.WriteObject(&b);    // object 3 of class 1
    ar.WriteObject(&log);  // class 4, object 5
    ar.WriteObject(&a);    // back-reference to 2
    ar.WriteObject(nullptr);
    const std::string base = "CInterestPointObs";
    const std::string bytes = ar.TakeBytes();
    size_t at = 0;
    EXPECT_EQ(bytes.substr(at, 6 + base.size()), NewClass(base));
    at += 6 + base.size() + 72;
    EXPECT_EQ(bytes.substr(at, 2), B({0x01, 0x80}));
    at += 2 + 72;
    EXPECT_EQ(bytes.substr(at, 6 + 9), NewClass("CLogEntry"));
    at += 6 + 9 + 72 + 1;
    EXPECT_EQ(bytes.substr(at), B({0x02, 0x00, 0x00, 0x00}));

    CArchive in(bytes);
    std::unique_ptr<CSerializable> o1, o2, o3, o4, o5;
    CSerializable *s1, *s2, *s3, *s4, *s5;
    ASSERT_TRUE(in.ReadObject(o1, s1));
    ASSERT_TRUE(in.ReadObject(o2, s2));
    ASSERT_TRUE(in.ReadObject(o3, s3));
    ASSERT_TRUE(in.ReadObject(o4, s4));
    ASSERT_TRUE(in.ReadObject(o5, s5));
    EXPECT_EQ(dynamic_cast<CInterestPointObs&>(*o2).time, 2);
    EXPECT_TRUE(dynamic_cast<CLogEntry*>(o3.get()));
    EXPECT_EQ(o4, nullptr);
    EXPECT_EQ(s4, o1.get());  // the back-reference names the first object
    EXPECT_EQ(o5, nullptr);
    EXPECT_EQ(s5, nullptr);
}

TEST_F(ArchiveTest, BigIndexFormsAboveNumber0x7FFE) {
    // 0x7FFE calculations: class 1, objects 2 .. 0x7FFF. The next class is number 0x8000.
    std::vector<std::unique_ptr<CGradCalcIon>> calcs;
    for (int i = 0; i < 0x7FFE; ++i)
        calcs.push_back(std::make_unique<CGradCalcIon>());
    CSampPointIon p1, p2;
    CArchive ar;
    for (auto& c : calcs)
        ar.WriteObject(c.get());
    const size_t before = ar.Bytes().size();
    ar.WriteObject(&p1);  // new class 0x8000, object 0x8001
    const size_t afterFirst = ar.Bytes().size();
    ar.WriteObject(&p2);                 // big class reference
    ar.WriteObject(calcs.back().get());  // object 0x7FFF: big object reference
    ar.WriteObject(&p1);                 // object 0x8001
    ar.WriteObject(calcs[0].get());      // object 2: small form
    const std::string bytes = ar.TakeBytes();
    const size_t pointRecord = afterFirst - before - 6 - std::string("CSampPointIon").size();
    size_t at = afterFirst;
    EXPECT_EQ(bytes.substr(at, 6), B({0xFF, 0x7F}) + Le32(0x80008000u));
    at += 6 + pointRecord;
    EXPECT_EQ(bytes.substr(at),
              B({0xFF, 0x7F}) + Le32(0x7FFF) + B({0xFF, 0x7F}) + Le32(0x8001) + B({0x02, 0x00}));

    CArchive in(bytes);
    std::vector<std::unique_ptr<CSerializable>> owned;
    std::vector<CSerializable*> seen;
    for (int i = 0; i < 0x7FFE + 5; ++i) {
        std::unique_ptr<CSerializable> o;
        CSerializable* s = nullptr;
        ASSERT_TRUE(in.ReadObject(o, s)) << i;
        seen.push_back(o ? o.get() : s);
        owned.push_back(std::move(o));
    }
    EXPECT_TRUE(dynamic_cast<CSampPointIon*>(owned[0x7FFF].get()));
    EXPECT_EQ(seen[0x7FFE + 2], seen[0x7FFE - 1]);
    EXPECT_EQ(seen[0x7FFE + 3], seen[0x7FFE]);
    EXPECT_EQ(seen[0x7FFE + 4], seen[0]);
    EXPECT_EQ(in.Remaining(), 0u);
}

struct SBadInput {
    const char* what;
    std::string bytes;
};

TEST_F(ArchiveTest, InconsistentReferencesFailAsUnexpectedFormat) {
    const std::string obs72(72, '\0');
    const SBadInput cases[] = {
        {"unknown class", NewClass("CNoSuchObs") + obs72},
        {"other schema", B({0xFF, 0xFF, 0x02, 0x00, 17, 0}) + "CInterestPointObs" + obs72},
        {"vector named as an object", NewClass("CDVector4") + std::string(32, '\0')},
        {"class never assigned", B({0x05, 0x80}) + obs72},
        {"object never assigned", B({0x07, 0x00})},
        {"class number 0", B({0x00, 0x80})},
        {"big object never assigned", B({0xFF, 0x7F}) + Le32(0x12345)},
        {"class name too long", B({0xFF, 0xFF, 1, 0, 64, 0}) + std::string(64, 'C')},
        {"name past the end", B({0xFF, 0xFF, 1, 0, 30, 0}) + "CLogEntry"},
        {"record past the end", NewClass("CInterestPointObs") + std::string(71, '\0')},
        {"string longer than the file",
         NewClass("CLogEntry") + obs72 + B({0xFF, 0xFF, 0xFF}) + Le32(0xFFFFFFF0u)},
        {"object reference to a class", NewClass("CInterestPointObs") + obs72 + B({1, 0})},
    };
    for (const auto& c : cases) {
        CArchive in(c.bytes);
        std::unique_ptr<CSerializable> o, o2;
        CSerializable* s = nullptr;
        bool ok = in.ReadObject(o, s) && in.ReadObject(o2, s);
        EXPECT_FALSE(ok) << c.what;
        EXPECT_EQ(in.Error(), EArchiveError::UnexpectedFormat) << c.what;
        EXPECT_EQ(ArchiveFailureMessage(in.Error(), 0, "f.vpo", false), "Unexpected file format.");
    }
}

TEST_F(ArchiveTest, OwnedElementsRefuseBackReferencesAndForeignClasses) {
    CInterestPointObs a;
    CArchive ar;
    ar.WriteObject(&a);
    ar.WriteObject(&a);
    CArchive in(ar.Bytes());
    auto first = in.ReadOwnedObject(IsObservation);
    ASSERT_NE(first, nullptr);
    // The same object a second time would be owned twice.
    EXPECT_EQ(in.ReadOwnedObject(IsObservation), nullptr);
    EXPECT_EQ(in.Error(), EArchiveError::UnexpectedFormat);

    CSampPointIon point;
    const std::string pointBytes = StoreObject(point);
    CArchive in2(pointBytes);
    EXPECT_EQ(in2.ReadOwnedObject(IsObservation), nullptr);
    EXPECT_EQ(in2.Error(), EArchiveError::UnexpectedFormat);
}

TEST_F(ArchiveTest, CountsAreCheckedAgainstTheBytesLeft) {
    const std::string bytes = B({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}) + std::string(100, '\0');
    CArchive in(bytes);
    uint64_t n = in.ReadCount();
    EXPECT_EQ(n, 0x7FFFFFFFu);
    EXPECT_FALSE(in.CanHold(n, 2));
    EXPECT_EQ(in.Error(), EArchiveError::UnexpectedFormat);
    const std::string hundred(100, '\0');
    CArchive ok(hundred);
    EXPECT_TRUE(ok.CanHold(50, 2));
    EXPECT_FALSE(ok.CanHold(51, 2));
}

TEST_F(ArchiveTest, FileErrorsMapToTheirTexts) {
    EXPECT_EQ(FileErrorMessage(ENOENT, "/d/x.vpo"), "/d/x.vpo was not found.");
    EXPECT_EQ(FileErrorMessage(EACCES, "x.vpo"), "Access to x.vpo was denied.");
    EXPECT_EQ(FileErrorMessage(ENOSPC, "x.vpo"), "Disk full while accessing x.vpo.");
    EXPECT_EQ(FileErrorMessage(EIO, "x.vpo"),
              "A hardware I/O error was reported while accessing x.vpo.");
    EXPECT_EQ(FileErrorMessage(EMFILE, "x"),
              "x could not be opened because there are too many open files.");
    EXPECT_EQ(FileErrorMessage(12345, "x"), "An unknown error occurred while accessing x.");
    EXPECT_EQ(ArchiveFailureMessage(EArchiveError::WriteError, 0, "x", true),
              "Failed to save document.");
    EXPECT_EQ(ArchiveFailureMessage(EArchiveError::ReadError, 0, "x", false),
              "Failed to open document.");
}

}  // namespace
