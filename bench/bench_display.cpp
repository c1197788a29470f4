// A display is repainted whenever its window is uncovered or resized, so one repaint must fit
// in a frame: a 640 x 480 image layer under a data layer of 10,000 CDP vectors, drawn by the
// software painter that velm-tool render uses (the desktop program's Qt painter is faster).
// Contours of a 100 x 100 scan are the costliest data layer.
//
//   build/bench/velm_bench --benchmark_filter=BM_Display

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "display/DispDoc.h"
#include "display/DisplayDraw.h"
#include "display/RasterPainter.h"
#include "obs/ObsDoc.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"
#include "platform/Services.h"

namespace {

// A 100 x 100 scan, 4 microns apart, around a point source: each point's current flows away
// from the source and falls off with the square of the distance.
std::unique_ptr<CObsDoc> ScanAroundSource() {
    auto doc = std::make_unique<CObsDoc>();
    auto cal = std::make_unique<CWireCalibration>();
    cal->SetTime(1000, 0);
    const double k = cal->Resistivity * cal->SystemGain;
    cal->XXphase = std::acos(-1.0) / 2;
    cal->XXuAperV = k;
    cal->YYuAperV = k;
    doc->AddObs(std::move(cal));
    int64_t t = 1000;
    for (int j = 0; j < 100; ++j)
        for (int i = 0; i < 100; ++i) {
            const double x = (i - 49.5) * 4, y = (j - 49.5) * 4, r2 = x * x + y * y;
            auto obs = std::make_unique<CWireObs>();
            obs->SetTime(++t, 0);
            obs->probePosition = CDVector4(x, y, 0, 0);
            const double r = std::sqrt(r2);
            obs->reading = CDVector4(1e4 / r2 * x / r, 0, 0, 1e4 / r2 * y / r);
            doc->AddObs(std::move(obs));
        }
    return doc;
}

struct SFixture {
    SFixture() : services(&clock, &prompt), source(ScanAroundSource()) {
        auto image = std::make_unique<CImageDispLayer>();
        image->opticalSystem = COpticalSystem();
        image->image = CBitmapImage::Blank(640, 480, 8);
        for (size_t i = 0; i < image->image.pixels.size(); ++i)
            image->image.pixels[i] = static_cast<uint8_t>(i * 7 % 251);
        doc.layers.push_back(std::move(image));
        auto data = std::make_unique<CDataDispLayer>();
        data->sourceDoc = source.get();
        data->quantity = 1183;
        doc.layers.push_back(std::move(data));
        context.active = COpticalSystem();
        doc.ShareOpticalSystem(context.active);
    }
    CSimClock clock;
    CScriptedPrompt prompt;
    CScopedServices services;
    std::unique_ptr<CObsDoc> source;
    CDispDoc doc;
    SDrawContext context;
};

// Counts primitives without keeping them, so that only the layer's own work is measured.
class CCountingPainter : public CPainter {
  public:
    void Clear(SColor) override {}
    void Line(SPointF, SPointF, SColor, double) override { ++count; }
    void Circle(SPointF, double, SColor, double, std::optional<SColor>) override { ++count; }
    void Text(SPointF, const std::string&, SColor) override { ++count; }
    void Image(const SRgbaImage&, SPointF, double, double) override { ++count; }
    long count = 0;
};

void BM_DisplayRepaintImageAnd10kVectors(benchmark::State& state) {
    SFixture f;
    for (auto _ : state) {
        CRasterPainter painter(640, 480);
        DrawDisplay(f.doc, painter, f.context);
        benchmark::DoNotOptimize(painter.Pixels().data());
    }
    state.SetLabel("640x480 image + 10,000 arrows, software painter");
}
BENCHMARK(BM_DisplayRepaintImageAnd10kVectors)->Unit(benchmark::kMillisecond);

void BM_DisplayContour100x100(benchmark::State& state) {
    SFixture f;
    auto& data = static_cast<CDataDispLayer&>(*f.doc.layers[1]);
    data.quantity = 1177;  // total current density
    data.method = kMethodContour;
    data.numAutoContours = 10;
    const CDisplayFrame frame(640, 480, COpticalSystem());
    long segments = 0;
    for (auto _ : state) {
        CCountingPainter painter;
        DrawDataLayer(data, frame, painter);
        segments = painter.count;
    }
    state.counters["segments"] = static_cast<double>(segments);
}
BENCHMARK(BM_DisplayContour100x100)->Unit(benchmark::kMillisecond);

}  // namespace
