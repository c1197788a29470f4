#include "display/SvgPainter.h"

#include <cmath>

#include "display/Png.h"
#include "platform/Format.h"

namespace {

std::string Colour(SColor c) {
    return StrPrintf("#%02x%02x%02x", c.r, c.g, c.b);
}

std::string Opacity(SColor c) {
    return c.a == 255 ? std::string() : StrPrintf(" opacity=\"%.3f\"", c.a / 255.0);
}

bool Finite(SPointF p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

std::string Escape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // Bytes that are not printable ASCII (8-bit text from old stations) are kept
                // out of the XML rather than making it invalid.
                out += c >= 32 && c < 127 ? static_cast<char>(c) : '?';
        }
    }
    return out;
}

}  // namespace

CSvgPainter::CSvgPainter(int w, int h) : width(w), height(h) {}

void CSvgPainter::Clear(SColor c) {
    body.clear();
    body += StrPrintf("<rect x=\"0\" y=\"0\" width=\"%d\" height=\"%d\" fill=\"%s\"/>\n", width,
                      height, Colour(c).c_str());
}

void CSvgPainter::Line(SPointF a, SPointF b, SColor c, double w) {
    if (!Finite(a) || !Finite(b)) return;
    body += StrPrintf(
        "<path d=\"M%.2f %.2fL%.2f %.2f\" stroke=\"%s\" stroke-width=\"%.2f\" "
        "stroke-linecap=\"round\" fill=\"none\"%s/>\n",
        a.x, a.y, b.x, b.y, Colour(c).c_str(), w, Opacity(c).c_str());
}

void CSvgPainter::Polyline(const std::vector<SPointF>& points, SColor c, double w, bool closed) {
    if (points.size() < 2) return;
    std::string d;
    for (size_t i = 0; i < points.size(); ++i) {
        if (!Finite(points[i])) return;
        StrAppendf(d, "%s%.2f %.2f", i == 0 ? "M" : "L", points[i].x, points[i].y);
    }
    if (closed) d += "Z";
    body += StrPrintf(
        "<path d=\"%s\" stroke=\"%s\" stroke-width=\"%.2f\" stroke-linejoin=\"round\" "
        "fill=\"none\"%s/>\n",
        d.c_str(), Colour(c).c_str(), w, Opacity(c).c_str());
}

void CSvgPainter::Circle(SPointF centre, double r, SColor c, double w, std::optional<SColor> fill) {
    if (!Finite(centre) || !std::isfinite(r)) return;
    body += StrPrintf(
        "<circle cx=\"%.2f\" cy=\"%.2f\" r=\"%.2f\" stroke=\"%s\" "
        "stroke-width=\"%.2f\" fill=\"%s\"%s/>\n",
        centre.x, centre.y, r, Colour(c).c_str(), w, fill ? Colour(*fill).c_str() : "none",
        Opacity(c).c_str());
}

void CSvgPainter::Text(SPointF at, const std::string& text, SColor c) {
    if (!Finite(at)) return;
    body += StrPrintf(
        "<text x=\"%.2f\" y=\"%.2f\" fill=\"%s\" font-family=\"sans-serif\" "
        "font-size=\"11\" dominant-baseline=\"hanging\">%s</text>\n",
        at.x, at.y, Colour(c).c_str(), Escape(text).c_str());
}

void CSvgPainter::Image(const SRgbaImage& image, SPointF topLeft, double sx, double sy) {
    if (!image.IsValid() || !Finite(topLeft) || !std::isfinite(sx) || !std::isfinite(sy)) return;
    const std::string png = Base64(EncodePng(image.width, image.height, image.pixels.data(), 4));
    const double w = sx * image.width, h = sy * image.height;
    std::string transform = StrPrintf("translate(%.3f %.3f) scale(%.6f %.6f)", topLeft.x, topLeft.y,
                                      w < 0 ? -1.0 : 1.0, h < 0 ? -1.0 : 1.0);
    body += StrPrintf(
        "<image transform=\"%s\" width=\"%.3f\" height=\"%.3f\" "
        "preserveAspectRatio=\"none\" style=\"image-rendering:pixelated\" "
        "href=\"data:image/png;base64,%s\"/>\n",
        transform.c_str(), std::fabs(w), std::fabs(h), png.c_str());
}

std::string CSvgPainter::Document() const {
    return StrPrintf(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
               "viewBox=\"0 0 %d %d\">\n",
               width, height, width, height) +
           body + "</svg>\n";
}
