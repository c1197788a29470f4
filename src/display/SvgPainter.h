#pragma once
// A painter that writes an SVG document: lines and arrows as paths, circles as circles, text
// as text, images embedded as PNG, so a figure goes into a paper at any size.

#include <string>

#include "display/Painter.h"

class CSvgPainter : public CPainter {
  public:
    CSvgPainter(int width, int height);

    void Clear(SColor colour) override;
    void Line(SPointF from, SPointF to, SColor colour, double width) override;
    void Polyline(const std::vector<SPointF>& points, SColor colour, double width,
                  bool closed) override;
    void Circle(SPointF centre, double radius, SColor colour, double width,
                std::optional<SColor> fill) override;
    void Text(SPointF at, const std::string& text, SColor colour) override;
    void Image(const SRgbaImage& image, SPointF topLeft, double scaleX, double scaleY) override;

    // The whole document.
    std::string Document() const;

  private:
    int width, height;
    std::string body;
};
