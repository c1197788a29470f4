// Display documents (.vpd) without the desktop program: `render` draws one into a PNG or SVG
// file, `scene` prints what it draws one primitive a line, and describe/roundtrip of .vpd
// files (called from the document commands).

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "DisplayCommands.h"
#include "ToolCommand.h"
#include "display/DispDoc.h"
#include "display/DisplayDraw.h"
#include "display/DisplayFromSelection.h"
#include "display/RasterPainter.h"
#include "display/SourceDocuments.h"
#include "display/SvgPainter.h"
#include "hw/FgBoard.h"
#include "obs/DataDocument.h"
#include "platform/AtomicFile.h"
#include "platform/Format.h"

namespace {

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - tail.size() + i])) !=
            tail[i])
            return false;
    return true;
}

// Loads the display and its sources; the sources that could not be had are told on stderr.
bool LoadDisplay(const std::string& path, CDispDoc& doc) {
    std::string message;
    if (!doc.LoadFile(path, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return false;
    }
    std::string problems;
    doc.OpenSources(problems);
    if (!problems.empty()) std::fprintf(stderr, "%s", problems.c_str());
    return true;
}

// The station's drawing context: the active optical system (without writing velm.ini) and
// camera 0's origin.
SDrawContext StationContext() {
    COpticalSystem active;
    const std::string name = ActiveOpticalSystemName();
    if (!name.empty() && FindOpticalSystem(name) >= 0) active.Load(name);
    CFgBoard grabber;
    grabber.LoadSettings();
    return DrawContextFrom(grabber, active);
}

bool ParseSize(const std::string& text, int& w, int& h) {
    char x = 0, extra = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &extra) != 3 || (x != 'x' && x != 'X'))
        return false;
    return w >= 1 && h >= 1 && w <= CRasterPainter::kMaxSide && h <= CRasterPainter::kMaxSide;
}

bool WriteAtomically(const std::string& path, const std::string& bytes) {
    std::string error;
    if (WriteFileAtomic(path, bytes, &error)) return true;
    std::fprintf(stderr, "velm-tool: cannot write %s: %s\n", path.c_str(), error.c_str());
    return false;
}

int RunRender(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    int width = 0, height = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--size") {
            if (i + 1 >= args.size() || !ParseSize(args[++i], width, height)) {
                std::fprintf(stderr, "velm-tool render: --size needs WxH (1 to %d each)\n",
                             CRasterPainter::kMaxSide);
                return 2;
            }
        } else {
            files.push_back(args[i]);
        }
    }
    const bool svg = files.size() == 2 && EndsWithNoCase(files[1], ".svg");
    const bool png = files.size() == 2 && EndsWithNoCase(files[1], ".png");
    if (!svg && !png) {
        std::fprintf(stderr, "usage: velm-tool render DOC.vpd OUT.png|OUT.svg [--size WxH]\n");
        return 2;
    }
    CDispDoc doc;
    if (!LoadDisplay(files[0], doc)) return 1;
    if (width == 0) width = doc.windowWidth, height = doc.windowHeight;
    if (width < 1 || height < 1 || width > CRasterPainter::kMaxSide ||
        height > CRasterPainter::kMaxSide) {
        std::fprintf(stderr, "velm-tool render: the window size %dx%d cannot be drawn\n", width,
                     height);
        return 1;
    }
    const SDrawContext context = StationContext();
    doc.ShareOpticalSystem(context.active);
    if (svg) {
        CSvgPainter painter(width, height);
        DrawDisplay(doc, painter, context, width, height);
        return WriteAtomically(files[1], painter.Document()) ? 0 : 1;
    }
    CRasterPainter painter(width, height);
    DrawDisplay(doc, painter, context, width, height);
    return WriteAtomically(files[1], painter.Png()) ? 0 : 1;
}

int RunScene(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: velm-tool scene DOC.vpd\n");
        return 2;
    }
    CDispDoc doc;
    if (!LoadDisplay(args[0], doc)) return 1;
    const SDrawContext context = StationContext();
    doc.ShareOpticalSystem(context.active);
    CRecordingPainter painter;
    DrawDisplay(doc, painter, context);
    for (const std::string& line : painter.lines)
        std::printf("%s\n", line.c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// A display over a whole data document, as "&Display" makes one from a list selection.
int RunDisplay(const std::vector<std::string>& args) {
    static const std::pair<const char*, int> kMethods[] = {{"vector", kMethodVector},
                                                           {"circle", kMethodCircle},
                                                           {"sheet", kMethodSheet},
                                                           {"contour", kMethodContour},
                                                           {"graph", kMethodValueGraph}};
    std::vector<std::string> files;
    std::string image;
    int method = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--method" && i + 1 < args.size()) {
            const std::string& name = args[++i];
            for (const auto& [text, id] : kMethods)
                if (name == text) method = id;
            if (method == 0) {
                std::fprintf(stderr, "velm-tool display: unknown method '%s'\n", name.c_str());
                return 2;
            }
        } else if (args[i] == "--image" && i + 1 < args.size()) {
            image = args[++i];
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2 || !IsDisplayPath(files[1])) {
        std::fprintf(stderr,
                     "usage: velm-tool display [--method vector|circle|sheet|contour|graph] "
                     "[--image IMAGE.bmp] SOURCE.vpo OUT.vpd\n");
        return 2;
    }
    std::string message;
    std::unique_ptr<CDataDocument> source = OpenSourceDocument(files[0], message);
    if (!source) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    if (source->GetObsCount() == 0) {
        std::fprintf(stderr, "velm-tool display: %s holds no observations\n", files[0].c_str());
        return 1;
    }
    const SDrawContext context = StationContext();
    CDispDoc doc;
    if (!image.empty()) {
        auto layer = std::make_unique<CImageDispLayer>();
        layer->source = image;
        layer->opticalSystem = context.active;
        doc.layers.push_back(std::move(layer));
    }
    for (auto& layer :
         LayersForSelection(*source, files[0], 0, source->GetObsCount() - 1, context.active)) {
        if (auto* data = dynamic_cast<CDataDispLayer*>(layer.get())) {
            if (method) data->method = method;
            // The whole document: no time range.
            data->timeRange[0] = data->timeRange[1] = 0;
            data->timeRangeText.clear();
        }
        doc.layers.push_back(std::move(layer));
    }
    doc.listLines = static_cast<int32_t>(doc.layers.size()) + 4;
    if (!doc.SaveFile(files[1], message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    return 0;
}

CToolCommandRegistrar displayCommand({"display",
                                      "display [--method M] [--image IMAGE.bmp] SOURCE.vpo OUT.vpd",
                                      "make a display document over a whole observation document",
                                      RunDisplay});
CToolCommandRegistrar renderCommand({"render", "render DOC.vpd OUT.png|OUT.svg [--size WxH]",
                                     "draw a display document into a PNG picture or an SVG figure",
                                     RunRender});
CToolCommandRegistrar sceneCommand({"scene", "scene DOC.vpd",
                                    "print what a display document draws, one shape a line",
                                    RunScene});

}  // namespace

bool IsDisplayPath(const std::string& path) {
    return EndsWithNoCase(path, ".vpd");
}

int DescribeDisplay(const std::string& path) {
    CDispDoc doc;
    std::string message;
    if (!doc.LoadFile(path, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    std::printf("window=%dx%d  list=%d,%d  layers=%zu\n", doc.windowWidth, doc.windowHeight,
                doc.listWidth, doc.listLines, doc.layers.size());
    int n = 0;
    for (const auto& layer : doc.layers) {
        ++n;
        if (auto* image = dynamic_cast<const CImageDispLayer*>(layer.get())) {
            const CDVector4& o = image->offset;
            std::printf("layer %d: image %s  offset=(%g,%g,%g,%g)  blend=%d  system=%s\n", n,
                        image->source.c_str(), o.x, o.y, o.z, o.w, image->blend,
                        image->opticalSystem.name.c_str());
        } else if (auto* data = dynamic_cast<const CDataDispLayer*>(layer.get())) {
            std::printf(
                "layer %d: data %s  quantity=%d  method=%d  scale=%d (%g, %g..%g) to %d px  "
                "offset=(%g,%g,%g,%g)  time=%lld..%lld  indices=%d,%d,%d,%d,%d\n",
                n, data->source.c_str(), data->quantity, data->method, data->scaleType,
                data->scalarValue, data->minValue, data->maxValue, data->scaleToPixels,
                data->offset.x, data->offset.y, data->offset.z, data->offset.w,
                static_cast<long long>(data->timeRange[0]),
                static_cast<long long>(data->timeRange[1]), data->indexWireCal, data->indexIonCal,
                data->indexRulesWire, data->indexRulesIon, data->indexRulesRawAD);
        } else {
            std::printf("layer %d: %s\n", n, layer->source.c_str());
        }
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int RoundtripDisplay(const std::string& in, const std::string& out) {
    CDispDoc doc;
    std::string message;
    if (!doc.LoadFile(in, message) || !doc.SaveFile(out, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    return 0;
}
