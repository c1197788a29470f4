#pragma once
// A painter that draws into an RGB picture in memory, for pictures made without a window
// system (velm-tool render, figures in batch). Lines and circles are drawn with whole-pixel
// coverage, images with nearest-pixel scaling and their alpha, text in a 5 x 7 pixel font.

#include <string>
#include <vector>

#include "display/Painter.h"

class CRasterPainter : public CPainter {
  public:
    // Largest side accepted; a larger request makes an empty picture.
    static constexpr int kMaxSide = 16384;

    CRasterPainter(int width, int height);

    void Clear(SColor colour) override;
    void Line(SPointF from, SPointF to, SColor colour, double width) override;
    void Circle(SPointF centre, double radius, SColor colour, double width,
                std::optional<SColor> fill) override;
    void Text(SPointF at, const std::string& text, SColor colour) override;
    void Image(const SRgbaImage& image, SPointF topLeft, double scaleX, double scaleY) override;
    int LineHeight() const override { return 10; }

    int Width() const { return width; }
    int Height() const { return height; }
    // Rows top first, red, green, blue.
    const std::vector<uint8_t>& Pixels() const { return rgb; }
    SColor PixelAt(int x, int y) const;
    std::string Png() const;

  private:
    void Blend(int x, int y, SColor c);

    int width, height;
    std::vector<uint8_t> rgb;
};
