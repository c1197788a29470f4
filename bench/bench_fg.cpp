// The per-frame work of the image path at the station's 640 x 480: decoding the file-based
// grabber's bitmap, turning a camera's YUYV frame into grey or colour on the live-video worker,
// and copying an acquired frame into the grabber's bottom-row-first buffer. Live video at
// 30 frames per second leaves about 33 ms per frame for all of it.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "hw/Bmp.h"
#include "hw/FgBoard.h"
#include "hw/fg/V4l2Acquisition.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

void BM_DecodeBmp24(benchmark::State& state) {
    CBitmapImage image = CBitmapImage::Blank(kWidth, kHeight, 24);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = static_cast<uint8_t>(i * 13);
    const std::string file = EncodeBmp(image);
    CBitmapImage out;
    for (auto _ : state) {
        SBmpStatus status =
            DecodeBmp(reinterpret_cast<const uint8_t*>(file.data()), file.size(), out);
        benchmark::DoNotOptimize(status);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_DecodeBmp24);

void BM_ConvertYuyv(benchmark::State& state) {
    const bool colour = state.range(0) != 0;
    std::vector<uint8_t> bytes(static_cast<size_t>(kWidth) * kHeight * 2);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7);
    const SV4l2Format format{kWidth, kHeight, kFourccYuyv, kWidth * 2};
    SAcquiredFrame frame;
    std::string error;
    for (auto _ : state) {
        bool ok = CV4l2Acquisition::Convert(bytes, format, colour, frame, error);
        benchmark::DoNotOptimize(ok);
    }
    state.SetLabel(colour ? "colour" : "grey");
}
BENCHMARK(BM_ConvertYuyv)->Arg(0)->Arg(1);

void BM_CopyAcquiredFrame(benchmark::State& state) {
    const int outBytes = static_cast<int>(state.range(0));
    SAcquiredFrame frame;
    frame.width = kWidth;
    frame.height = kHeight;
    frame.bytesPerPixel = 4;
    frame.rowBytes = static_cast<size_t>(kWidth) * 4;
    frame.data.assign(frame.rowBytes * kHeight, 100);
    std::vector<uint8_t> buffer(static_cast<size_t>(kWidth) * kHeight * outBytes);
    for (auto _ : state) {
        CopyAcquiredFrame(frame, kWidth, kHeight, outBytes, buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel(outBytes == 1 ? "to grey" : "to colour");
}
BENCHMARK(BM_CopyAcquiredFrame)->Arg(1)->Arg(3);

}  // namespace
