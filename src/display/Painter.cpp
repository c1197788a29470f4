#include "display/Painter.h"

#include "platform/Format.h"

void CPainter::Polyline(const std::vector<SPointF>& points, SColor colour, double width,
                        bool closed) {
    for (size_t i = 1; i < points.size(); ++i)
        Line(points[i - 1], points[i], colour, width);
    if (closed && points.size() > 2) Line(points.back(), points.front(), colour, width);
}

void CRecordingPainter::Clear(SColor c) {
    lines.push_back(StrPrintf("clear %d %d %d", c.r, c.g, c.b));
}

void CRecordingPainter::Line(SPointF a, SPointF b, SColor c, double width) {
    lines.push_back(StrPrintf("line %.6g %.6g %.6g %.6g %d %d %d %.6g", a.x, a.y, b.x, b.y, c.r,
                              c.g, c.b, width));
}

void CRecordingPainter::Circle(SPointF centre, double radius, SColor c, double width,
                               std::optional<SColor> fill) {
    lines.push_back(StrPrintf("circle %.6g %.6g %.6g %d %d %d %.6g %s", centre.x, centre.y, radius,
                              c.r, c.g, c.b, width, fill ? "fill" : "-"));
}

void CRecordingPainter::Text(SPointF at, const std::string& text, SColor c) {
    lines.push_back(
        StrPrintf("text %.6g %.6g %d %d %d %s", at.x, at.y, c.r, c.g, c.b, text.c_str()));
}

void CRecordingPainter::Image(const SRgbaImage& image, SPointF topLeft, double sx, double sy) {
    lines.push_back(StrPrintf("image %d %d at %.6g %.6g scale %.6g %.6g", image.width, image.height,
                              topLeft.x, topLeft.y, sx, sy));
}
