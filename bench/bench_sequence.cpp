// Image sequences: the largest sequence the set-up allows (10,000 frames) must open at once
// and list its frames by grid, and averaging the frames of a grab must cost little beside the
// grab itself (a camera frame takes 33 ms).
//
//   build/bench/velm_bench --benchmark_filter='BM_Sequence'

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "hw/FgBoard.h"
#include "obs/DibObs.h"
#include "platform/Format.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "scan/VidSeqAcquisition.h"
#include "scan/VidSeqDoc.h"
#include "scan/VidSeqView.h"
#include "settings/Profile.h"

namespace {

std::string LargestSequence() {
    CVidSeqDoc doc;
    doc.updateView = 0;
    doc.steps = CIVector4(100, 100, 1, 1);
    CIVector4 i;
    for (i.y = 0; i.y < 100; ++i.y)
        for (i.x = 0; i.x < 100; ++i.x) {
            auto frame = std::make_unique<CDibObs>();
            frame->SetTime(1205493600 + i.y, static_cast<uint16_t>(i.x));
            frame->samplePosition = doc.FramePosition(i);
            frame->fileName = "/data/exp/V0314007/" + doc.FrameName(i);
            doc.AddObs(std::move(frame));
        }
    return doc.SaveToBytes();
}

void BM_SequenceLoadAndList(benchmark::State& state) {
    CScriptedPrompt prompt;
    CScopedServices services(nullptr, &prompt);
    const std::string bytes = LargestSequence();
    for (auto _ : state) {
        CVidSeqDoc doc;
        if (doc.LoadFromBytes(bytes) != EArchiveError::None) state.SkipWithError("load failed");
        CVidSeqViewLogic view(doc);
        benchmark::DoNotOptimize(view.Plane(0, 0).size());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_SequenceLoadAndList)->Unit(benchmark::kMillisecond);

void BM_SequenceAverageFrames(benchmark::State& state) {
    CScriptedPrompt prompt;
    CScopedServices services(nullptr, &prompt);
    CProfile none("/nonexistent/velm-bench/velm.ini");  // the grabber's defaults, never ours
    CScopedProfile scopedProfile(&none);
    CFgBoard grabber;  // no board: the 640 x 480 test pattern
    const int frames = static_cast<int>(state.range(0));
    for (auto _ : state) {
        CBitmapImage image;
        CVidSeqAcquisition::GrabAveraged(grabber, frames, image);
        benchmark::DoNotOptimize(image.pixels.data());
    }
}
BENCHMARK(BM_SequenceAverageFrames)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace
