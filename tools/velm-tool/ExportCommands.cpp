// Export commands: the text export of a whole document without the desktop program, with the
// export options the document holds. The bytes are those the desktop program's Text Export
// writes with the same options (both go through WriteTextExport); the document itself is only
// read, so no log entry is added to it.

#include <cctype>
#include <cstdio>
#include <memory>
#include <string>

#include "ToolCommand.h"
#include "obs/DataDocument.h"
#include "obs/ObsDoc.h"
#include "obs/TextExport.h"
#include "platform/Format.h"
#include "scan/ScanDoc.h"

namespace {

// Standard output, through stdio's buffer.
class CStdoutSink : public IExportSink {
  public:
    bool Write(std::string_view bytes) override {
        return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    }
};

bool EndsWith(const std::string& text, const char* suffix) {
    const std::string s(suffix);
    if (text.size() < s.size()) return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - s.size() + i])) != s[i])
            return false;
    return true;
}

// An observation or scan document (read and checked whole), or for image-sequence files the
// data-document part they begin with (which holds their observations and export options).
std::unique_ptr<CDataDocument> LoadDocument(const std::string& path, std::string& message) {
    std::unique_ptr<CDataDocument> doc;
    if (EndsWith(path, ".scn"))
        doc = std::make_unique<CScanDoc>();
    else if (EndsWith(path, ".isq") || EndsWith(path, ".vsq"))
        doc = std::make_unique<CDataDocument>();
    else
        doc = std::make_unique<CObsDoc>();
    if (!doc->LoadFile(path, message)) return nullptr;
    return doc;
}

int RunExport(const std::vector<std::string>& args) {
    std::string file, out;
    int dataType = 0;
    size_t positional = 0;
    for (const std::string& a : args) {
        if (a == "--csv") {
            dataType = kDataComma;
        } else if (a == "--tab") {
            dataType = kDataTab;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            positional = 3;  // unknown option
            break;
        } else if (positional == 0) {
            file = a;
            ++positional;
        } else if (positional == 1) {
            out = a;
            ++positional;
        } else {
            positional = 3;
            break;
        }
    }
    if (file.empty() || positional > 2) {
        std::fprintf(stderr, "usage: velm-tool export [--csv | --tab] FILE [OUT]\n");
        return 2;
    }
    std::string message;
    std::unique_ptr<CDataDocument> doc = LoadDocument(file, message);
    if (!doc) {
        if (!message.empty()) std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    SExportOptions options = ExportOptionsOf(*doc);
    if (dataType != 0) options.exportDataType = dataType;
    const SExportRange all;

    if (out.empty() || out == "-") {
        CStdoutSink sink;
        const bool ok = WriteTextExport(*doc, options, all, "standard output", sink);
        if (!ok || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "Unable to write the export to standard output.\n");
            return 1;
        }
        return 0;
    }
    CExportFile output;
    if (!output.Open(out)) {
        std::fprintf(stderr, "%s\n",
                     StrPrintf("Unable to open file %s for export.", out.c_str()).c_str());
        return 1;
    }
    if (!WriteTextExport(*doc, options, all, out, output) || !output.Commit()) {
        std::fprintf(stderr, "Unable to write file %s for export.\n%s\n", out.c_str(),
                     output.ErrorText().c_str());
        return 1;
    }
    return 0;
}

CToolCommandRegistrar exportCommand(
    {"export", "export [--csv | --tab] FILE [OUT]",
     "text export of a whole document with its own export options (to OUT or standard output)",
     RunExport});

}  // namespace
