#pragma once
// The display layers' painter on a QPainter (the window, printing, PNG and BMP export).

#include <QPainter>

#include "display/Painter.h"

class CQtPainter : public CPainter {
  public:
    explicit CQtPainter(QPainter& painter) : painter(painter) {}

    void Clear(SColor colour) override;
    void Line(SPointF from, SPointF to, SColor colour, double width) override;
    void Polyline(const std::vector<SPointF>& points, SColor colour, double width,
                  bool closed) override;
    void Circle(SPointF centre, double radius, SColor colour, double width,
                std::optional<SColor> fill) override;
    void Text(SPointF at, const std::string& text, SColor colour) override;
    void Image(const SRgbaImage& image, SPointF topLeft, double scaleX, double scaleY) override;
    int LineHeight() const override;

  private:
    QPainter& painter;
};
