#pragma once
// Small values shared by the frame grabber, its dialogs and the live video.

#include <optional>

// An image pixel, counted from the top-left corner: x to the right, y down.
struct SPixel {
    int x = 0;
    int y = 0;
    bool operator==(const SPixel&) const = default;
};

// The input signal controls, 0..100 each.
struct SInputSignal {
    int gain = 50;
    int offset = 75;
    int hue = 50;
    int saturation = 50;
    bool operator==(const SInputSignal&) const = default;
};

// Where "Show Position on Frame Grabber" puts its marker (and the cursor) for each camera;
// unset: at that camera's origin.
struct SPickMarkers {
    std::optional<SPixel> camera0;
    std::optional<SPixel> camera1;
};
