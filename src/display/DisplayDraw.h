#pragma once
// The drawing of a display document: the world frame through the display's optical system,
// image layers with their blend methods, data layers as vectors, circles, a perspective
// sheet, contours or value graphs, with fixed colours or the pseudocolour map, halos,
// automatic scales and the scale bar. Everything goes through a CPainter, in window pixels.

#include <optional>
#include <string>
#include <vector>

#include "display/DispLayer.h"
#include "display/DisplayFrame.h"
#include "display/Painter.h"
#include "hw/fg/FgTypes.h"

class CDispDoc;
class CFgBoard;

// What the drawing takes from the station: the active optical system (for displays without
// an image layer) and where camera 0's optical axis lies in its captured image (the image
// centre when unknown).
struct SDrawContext {
    COpticalSystem active;
    std::optional<SPixel> cameraOrigin;
    int captureWidth = 640;
    int captureHeight = 480;
    SColor background{0, 0, 0};
};
SDrawContext DrawContextFrom(const CFgBoard& grabber, const COpticalSystem& active);

// What a data layer drew.
struct SLayerDrawn {
    int points = 0;        // observations with a value
    double scale = 0.0;    // the scale used (Scalar s, or max |min|, |max|)
    bool noScale = false;  // nothing drawn: the scale was zero, not a number or empty
};

// Draws the whole document in a window of width x height pixels (the document's own window
// size when 0), bottom layer first.
void DrawDisplay(const CDispDoc& doc, CPainter& painter, const SDrawContext& context, int width = 0,
                 int height = 0);
// The image layer's bitmap as drawn with its blend method (transparent where nothing shows).
SRgbaImage BlendedImage(const CBitmapImage& image, int blend);
void DrawImageLayer(const CImageDispLayer& layer, const CDisplayFrame& frame, CPainter& painter,
                    const SDrawContext& context);
SLayerDrawn DrawDataLayer(const CDataDispLayer& layer, const CDisplayFrame& frame,
                          CPainter& painter);

// The pseudocolour map at f (0..1): blue, cyan, green, yellow, red.
SColor PseudoColour(double f);
