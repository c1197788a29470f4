#pragma once
// What the display layers draw on. The layers describe their picture in window pixels (x to
// the right, y down) through this interface; the desktop program paints it with Qt, velm-tool
// rasterises it into a PNG or writes it as SVG, and tests record it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SColor {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const SColor&) const = default;
};

struct SPointF {
    double x = 0.0, y = 0.0;
    bool operator==(const SPointF&) const = default;
};

// An image ready to be placed: rows top first, four bytes per pixel (red, green, blue,
// alpha; alpha 0 is transparent).
struct SRgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    bool IsValid() const {
        return width > 0 && height > 0 &&
               pixels.size() == static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    }
};

class CPainter {
  public:
    virtual ~CPainter() = default;
    // The whole picture in one colour (the window's background).
    virtual void Clear(SColor colour) = 0;
    // A straight line `width` pixels wide.
    virtual void Line(SPointF from, SPointF to, SColor colour, double width) = 0;
    // Connected lines through the points (closed: back to the first).
    virtual void Polyline(const std::vector<SPointF>& points, SColor colour, double width,
                          bool closed = false);
    // A circle outline, filled with `fill` when given.
    virtual void Circle(SPointF centre, double radius, SColor colour, double width,
                        std::optional<SColor> fill) = 0;
    // Text whose top-left corner is at `at`.
    virtual void Text(SPointF at, const std::string& text, SColor colour) = 0;
    // The image with its pixel (0, 0) top-left corner at `topLeft`, each pixel `scaleX` by
    // `scaleY` window pixels (negative: mirrored).
    virtual void Image(const SRgbaImage& image, SPointF topLeft, double scaleX, double scaleY) = 0;
    // Height of a text line, for layouts.
    virtual int LineHeight() const { return 16; }
};

// A painter that writes each primitive as one text line, for tests and `velm-tool scene`:
// "line 330 220 345 200 255 0 0 1", "circle 320 240 25 0 0 255 1 fill|-", "text 10 10 ...",
// "image W H at X Y scale SX SY". Coordinates "%.6g".
class CRecordingPainter : public CPainter {
  public:
    void Clear(SColor colour) override;
    void Line(SPointF from, SPointF to, SColor colour, double width) override;
    void Circle(SPointF centre, double radius, SColor colour, double width,
                std::optional<SColor> fill) override;
    void Text(SPointF at, const std::string& text, SColor colour) override;
    void Image(const SRgbaImage& image, SPointF topLeft, double scaleX, double scaleY) override;

    std::vector<std::string> lines;
};
