// Fuzzes the exports over whatever a document file can hold: any document that loads must
// export every observation, as text (tab and comma, every column) and as surfaces of every
// quantity, without crashing or running away.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "obs/ExportOptions.h"
#include "obs/ObsDoc.h"
#include "obs/SurfaceExport.h"
#include "obs/TextExport.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"
#include "platform/Services.h"

namespace {
// Counts the bytes instead of keeping them; a runaway export shows as a huge count.
class CCountingSink : public IExportSink {
  public:
    bool Write(std::string_view bytes) override {
        size += bytes.size();
        return true;
    }
    size_t size = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CSimClock clock;
    static CScriptedPrompt prompt;
    static CScopedServices services(&clock, &prompt);
    prompt.shown.clear();

    CObsDoc doc;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (doc.LoadFromBytes(bytes) != EArchiveError::None) return 0;

    for (unsigned separator : {0x400u, 0x800u}) {
        for (unsigned time : {0x8000u, 0x4000u, 0x1000u}) {
            const unsigned options = separator | time | 0x1FF;
            for (const auto& obs : doc.Observations()) {
                std::string row = ObservationExportRow(*obs, &doc, options);
                row += ObservationExportRow(*obs, &doc, options | 0x200);
                if (row.size() > (1u << 26)) std::abort();
            }
        }
    }
    SExportOptions options = ExportOptionsOf(doc);
    SExportRange all;
    CCountingSink text;
    WriteTextExport(doc, options, all, "fuzz.txt", text);
    if (text.size > size * 4096 + (1u << 20)) std::abort();

    SSurfaceDefinition definition = SurfaceDefinitionOf(doc);
    for (int matrix = 0; matrix < 2; ++matrix) {
        CCountingSink surface;
        WriteSurfaceExport(doc, definition, all, surface);
    }
    return 0;
}
