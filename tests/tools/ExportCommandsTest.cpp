// velm-tool export: the bytes of the desktop program's text export with the document's own
// options, to a file or to standard output.

#include <gtest/gtest.h>

#include <cstdio>

#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/TextExport.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "support/TestEnv.h"
#include "support/ToolRun.h"

namespace {

class ExportCommandsTest : public CVelmTest {
  protected:
    ExportCommandsTest() {
        auto cal = std::make_unique<CWireCalibration>();
        cal->SetTime(kTestEpoch, 0);
        doc.AddObs(std::move(cal));
        for (int i = 0; i < 3; ++i) {
            auto obs = std::make_unique<CWireObs>();
            obs->SetTime(kTestEpoch + 60 * i, static_cast<uint16_t>(i * 10));
            obs->reading = CDVector4(0.01 * i, 0.02, 0, 0);
            obs->probePosition = CDVector4(i, 2 * i, 0, 0);
            doc.AddObs(std::move(obs));
        }
        auto log = std::make_unique<CLogEntry>();
        log->SetTime(kTestEpoch + 200, 0);
        log->text = "end";
        doc.AddObs(std::move(log));
        // Options of the document, not the defaults: number label, clock times, no headers.
        doc.includeHeader = 0;
        doc.useData = 1;
        doc.exportTimeType = 1405;
        doc.exportWireCal = 0;
        path = dir.File("notebook.vpo");
        EXPECT_TRUE(doc.OnSaveDocument(path));
    }

    int Tool(const std::string& args, std::string& out) {
        const SToolRun run = RunVelmTool(dir.File("velm.ini"), args, dir.Path());
        out = run.out;
        err = run.err;
        return run.code;
    }

    // What the desktop program's export writes with these options.
    std::string InProcess(const SExportOptions& options, const std::string& outputName) {
        std::string bytes;
        struct CSink : IExportSink {
            std::string* to;
            bool Write(std::string_view b) override {
                to->append(b);
                return true;
            }
        } sink;
        sink.to = &bytes;
        EXPECT_TRUE(WriteTextExport(doc, options, SExportRange{}, outputName, sink));
        return bytes;
    }

    CObsDoc doc;
    std::string path;
    std::string err;
};

TEST_F(ExportCommandsTest, WritesTheBytesOfTheTextExportWithTheDocumentsOptions) {
    const std::string expected = InProcess(ExportOptionsOf(doc), "unused");
    ASSERT_NE(expected.find("1\t12\t05\t07\t12\t00\t00\t0.0\t0.0\t0.0\t0.0\tCurrentDensityObs\t"),
              std::string::npos);
    std::string out;
    ASSERT_EQ(Tool("export " + path, out), 0) << err;
    EXPECT_EQ(out, expected);
    ASSERT_EQ(Tool("export " + path + " " + dir.File("out.txt"), out), 0) << err;
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(ReadFileText(dir.File("out.txt")), expected);

    SExportOptions comma = ExportOptionsOf(doc);
    comma.exportDataType = kDataComma;
    ASSERT_EQ(Tool("export --csv " + path, out), 0) << err;
    EXPECT_EQ(out, InProcess(comma, "unused"));
    ASSERT_EQ(Tool("export " + path + " --tab", out), 0) << err;
    EXPECT_EQ(out, expected);

    // The "Export Headings" setting of velm.ini applies as in the desktop program.
    profile.WriteProfileInt("Observation Document", "Export Headings", 0);
    ASSERT_EQ(Tool("export " + path, out), 0) << err;
    EXPECT_EQ(out, InProcess(ExportOptionsOf(doc), "unused"));
    EXPECT_EQ(out.find("#\t"), std::string::npos);
}

TEST_F(ExportCommandsTest, HeaderLinesNameTheDocumentAndTheOutput) {
    doc.includeHeader = 1;
    ASSERT_TRUE(doc.OnSaveDocument(path));
    std::string out;
    ASSERT_EQ(Tool("export " + path + " " + dir.File("out.txt"), out), 0) << err;
    // Everything after the export time is the in-process export's.
    const std::string text = ReadFileText(dir.File("out.txt"));
    const std::string expected = InProcess(ExportOptionsOf(doc), dir.File("out.txt"));
    EXPECT_EQ(text.substr(0, 13), "Export Time: ");
    EXPECT_EQ(text.substr(text.find('\n')), expected.substr(expected.find('\n')));
    EXPECT_EQ(expected.substr(expected.find('\n') + 1, 24), "Data exported from file ");
}

TEST_F(ExportCommandsTest, BadArgumentsAndFailuresAreReported) {
    std::string out;
    EXPECT_EQ(Tool("export", out), 2);
    EXPECT_EQ(err, "usage: velm-tool export [--csv | --tab] FILE [OUT]\n");
    EXPECT_EQ(Tool("export --xml " + path, out), 2);
    EXPECT_EQ(Tool("export a b c", out), 2);
    EXPECT_EQ(Tool("export " + dir.File("none.vpo"), out), 1);
    EXPECT_EQ(err, dir.File("none.vpo") + " was not found.\n");
    const std::string bad = dir.File("missing/out.txt");
    EXPECT_EQ(Tool("export " + path + " " + bad, out), 1);
    EXPECT_EQ(err, "Unable to open file " + bad + " for export.\n");
    EXPECT_TRUE(out.empty());
}

}  // namespace
