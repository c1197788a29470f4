#pragma once
// The frame sources of live video: a camera session grabbing continuously, the test pattern,
// and a still image shown as it is (the file-based grabber, whose every frame is a round trip
// to an outside program).

#include <memory>

#include "hw/fg/ImageAcquisition.h"
#include "hw/fg/LiveVideo.h"

// What a camera session is set up with; taken from the grabber when live video starts, so the
// worker never reads the grabber's fields.
struct SAcquisitionSetup {
    int type = 0;
    int camera = 0;
    int width = 0;
    int height = 0;
    bool colour = false;
    SInputSignal input;
};

// Opens interface "img<camera>" and its session and sets size, picture and colour attributes.
// Returns the first failing status.
int OpenAcquisition(CImageAcquisition& acquisition, const SAcquisitionSetup& setup);
int ApplyInputAttributes(CImageAcquisition& acquisition, const SInputSignal& input);

std::unique_ptr<CLiveFrameSource> MakeCameraLiveSource(
    std::unique_ptr<CImageAcquisition> acquisition, const SAcquisitionSetup& setup);
std::unique_ptr<CLiveFrameSource> MakePatternLiveSource(int width, int height, bool colour,
                                                        int captureWidth);
std::unique_ptr<CLiveFrameSource> MakeStillLiveSource(CBitmapImage image);
