// Fuzzes the document readers (observation documents, scan documents, image sequences and
// display documents, each given every input): any bytes must
// load or be refused without crashing, hanging or allocating more than the input could fill.
// What loads must describe itself, answer value queries, and save to bytes that load again
// into the very same bytes. The same bytes read from a file (through the buffered reader) must
// give the same outcome as from memory.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <type_traits>

#include "display/DispDoc.h"
#include "display/DisplayDraw.h"
#include "obs/ObsDoc.h"
#include "obs/VelmObs.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "scan/ScanDoc.h"
#include "scan/VidSeqDoc.h"

namespace {

// A display document: what loads must list its layers, draw (without its sources) and save to
// bytes that load again into the very same bytes.
void FuzzDisplay(std::string_view bytes) {
    CDispDoc doc;
    if (doc.LoadFromBytes(bytes) != EArchiveError::None) return;
    for (const auto& layer : doc.layers)
        layer->GetTitle();
    CRecordingPainter painter;
    SDrawContext context;
    doc.ShareOpticalSystem(context.active);
    DrawDisplay(doc, painter, context, 64, 48);
    const std::string saved = doc.SaveToBytes();
    CDispDoc again;
    if (again.LoadFromBytes(saved) != EArchiveError::None) std::abort();
    if (again.SaveToBytes() != saved) std::abort();
}

// Loads `data` as a document of type D from memory and through `fd`; checks what loads.
template <class D>
void CheckDocument(const uint8_t* data, size_t size, int fd) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    D doc;
    const EArchiveError error = doc.LoadFromBytes(bytes);

    // The same bytes through a file.
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();
    D fromFile;
    std::string message;
    const bool fileOk = fromFile.LoadFile("/proc/self/fd/" + std::to_string(fd), message);
    if (fileOk != (error == EArchiveError::None)) std::abort();
    if (error != EArchiveError::None) return;

    std::string text;
    for (const auto& obs : doc.Observations()) {
        text.clear();
        obs->Describe(text, &doc, 0x1FF);
        obs->GetColor();
        obs->GetNumber();
        double value = 0;
        for (int code = 1175; code <= 1187; ++code)
            obs->GetValue(value, code, &doc, nullptr);
    }
    if constexpr (std::is_same_v<D, CObsDoc>) {
        for (const auto& op : doc.vsOps) {
            text.clear();
            op->Describe(text, &doc, 0x1FF);
            op->GetOperationName(text);
        }
    } else if constexpr (std::is_same_v<D, CScanDoc>) {
        doc.PointCount();
        doc.EstimatedSeconds();
        for (const auto& rules : doc.ionRules)
            rules->GetNumber();
    } else {
        doc.FrameCount();
        doc.FolderName();
        doc.FileName();
    }

    const std::string saved = doc.SaveToBytes();
    if (fromFile.SaveToBytes() != saved) std::abort();
    D again;
    if (again.LoadFromBytes(saved) != EArchiveError::None) std::abort();
    if (again.SaveToBytes() != saved) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CSimClock clock;
    static CScriptedPrompt prompt;
    static CScopedServices services(&clock, &prompt);
    static int fd = [] {
        int f = ::memfd_create("velm-fuzz-document", 0);
        if (f < 0) std::abort();
        return f;
    }();
    prompt.shown.clear();
    CheckDocument<CObsDoc>(data, size, fd);
    CheckDocument<CScanDoc>(data, size, fd);
    CheckDocument<CVidSeqDoc>(data, size, fd);
    FuzzDisplay(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
