#pragma once
// "Show Area on Image": a grid scan's rectangle (from its start to its end, around its origin)
// drawn into a copy of an image with a pen width and colour, the image centre standing for
// the scan origin and the chosen optical system giving the microns per pixel. The copy is a
// new image: the chosen file is never changed.
//
// Rows are counted from the bottom of the image, as bitmaps store them and as the live
// mapping counts them (a stage Y that the video shows above the centre is drawn above it).

#include <optional>
#include <string>
#include <vector>

#include "hw/Bmp.h"
#include "obs/OpticalSystem.h"
#include "platform/Vector4.h"

inline constexpr const char* kShowAreaKey = "Show Area on Image";

// The rectangle in pixels: columns from the left, rows from the bottom, all inclusive.
struct SShowAreaRect {
    int left = 0, right = 0;
    int bottom = 0, top = 0;
    bool clipped = false;
};

// The rectangle of `start`..`end` (microns from the scan origin) on a W x H image: each side
// pushed out by half the pen, then clipped to the image. `offsetPixels` moves it (the "Show
// Origin Offset" difference). Nothing when the system cannot map (a zero scale or frame) or
// the rectangle lies wholly off the image.
std::optional<SShowAreaRect> ShowAreaRect(const CDVector4& start, const CDVector4& end,
                                          const COpticalSystem& system, int width, int height,
                                          int pen, int offsetX = 0, int offsetY = 0);

// Draws the outline of `rect` `pen` pixels wide (inward from its outer edge) in the colour.
// An 8-bit image is made a 24-bit one first, so that the colour shows.
void DrawShowArea(CBitmapImage& image, const SShowAreaRect& rect, int pen, int r, int g, int b);

class CShowAreaLogic {
  public:
    static constexpr const char* kTitle = "Show Area on Image";
    static constexpr int kMaxPen = 100;

    // The pen and colour from velm.ini ("Mainframe Parameters", "Show Area on Image"); the
    // optical systems of velm.ini with the active one chosen.
    CShowAreaLogic();

    std::string imageFile;  // "Image File:"
    std::vector<std::string> recentImages;
    std::string pen = "2";  // "Pen Width:"
    std::string red = "255", green = "0", blue = "0";
    std::vector<std::string> systems;  // "Name:"
    std::string systemName;
    // "Show Origin Offset": the anchor point and the offset point, in image pixels.
    std::string anchorX = "0", anchorY = "0", offsetX = "0", offsetY = "0";

    // OK: checks the entries (messages shown), writes the settings line and loads the system.
    bool Accept();
    // After Accept: the copy of the image with the scan's rectangle, or nothing after a
    // message (an unreadable image, a system that cannot map, nothing of the scan on it).
    std::optional<CBitmapImage> Draw(const CDVector4& start, const CDVector4& end);

    // The images of the current root's images folder, newest first.
    static std::vector<std::string> ImageFiles();

    int penWidth = 2, r = 255, g = 0, b = 0;
    COpticalSystem system;
};
