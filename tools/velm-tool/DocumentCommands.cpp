// Document commands: read observation documents (.vpo), scan documents (.scn) and image
// sequences (.isq, .vsq) without the desktop program.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "DisplayCommands.h"
#include "ToolCommand.h"
#include "app/DocTemplates.h"
#include "obs/ObsDoc.h"
#include "obs/VelmObs.h"
#include "scan/ScanDoc.h"
#include "scan/VidSeqDoc.h"

namespace {

// The document a file is read into, by its extension as File > Open picks it; anything else
// is read as an observation document.
std::unique_ptr<CDataDocument> DocumentFor(const std::string& path) {
    const SDocTemplate* type = FindTemplateForPath(path);
    if (type && type->type == EDocType::ImageSequence) return std::make_unique<CVidSeqDoc>();
    if (type && type->type == EDocType::Scan) return std::make_unique<CScanDoc>();
    return std::make_unique<CObsDoc>();
}

// "372", "0x174": decimal or 0x hexadecimal, nothing else.
bool ParseDetails(const std::string& text, unsigned& value) {
    if (text.empty()) return false;
    int base = 10;
    const char* digits = text.c_str();
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        digits += 2;
    }
    if (*digits == '\0' || *digits == '-' || *digits == '+') return false;
    char* end = nullptr;
    errno = 0;
    unsigned long v = std::strtoul(digits, &end, base);
    if (errno != 0 || *end != '\0' || v > 0xFFFFu) return false;
    value = static_cast<unsigned>(v);
    return true;
}

int RunDescribe(const std::vector<std::string>& args) {
    unsigned details = DetailFlags::kDefault;
    std::string file;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--details" && i + 1 < args.size()) {
            if (!ParseDetails(args[++i], details)) {
                std::fprintf(stderr, "velm-tool describe: bad detail word '%s'\n", args[i].c_str());
                return 2;
            }
        } else if (file.empty() && args[i] != "--details") {
            file = args[i];
        } else {
            file.clear();
            break;
        }
    }
    if (file.empty()) {
        std::fprintf(stderr, "usage: velm-tool describe [--details N] FILE\n");
        return 2;
    }
    if (IsDisplayPath(file)) return DescribeDisplay(file);
    std::unique_ptr<CDataDocument> doc = DocumentFor(file);
    std::string message;
    if (!doc->LoadFile(file, message)) {
        if (!message.empty()) std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    std::string line;
    for (const auto& obs : doc->Observations()) {
        line.clear();
        obs->Describe(line, doc.get(), details);
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int RunRoundtrip(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: velm-tool roundtrip FILE OUT\n");
        return 2;
    }
    if (IsDisplayPath(args[0])) return RoundtripDisplay(args[0], args[1]);
    std::unique_ptr<CDataDocument> doc = DocumentFor(args[0]);
    std::string message;
    if (!doc->LoadFile(args[0], message) || !doc->SaveFile(args[1], message)) {
        if (!message.empty()) std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    return 0;
}

CToolCommandRegistrar describeCommand(
    {"describe", "describe [--details N] FILE",
     "print one line per observation of a .vpo or .scn document, per frame of an image "
     "sequence "
     "(.isq, .vsq) or per layer of a display (.vpd)",
     RunDescribe});
CToolCommandRegistrar roundtripCommand(
    {"roundtrip", "roundtrip FILE OUT",
     "load a .vpo, .scn, .vpd or image sequence document and save it as OUT", RunRoundtrip});

}  // namespace
