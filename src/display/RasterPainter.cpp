#include "display/RasterPainter.h"

#include <algorithm>
#include <cmath>

#include "display/Png.h"

namespace {

// 5 x 7 glyphs for ASCII 32..126, one byte per column, bit 0 the top row.
const uint8_t kFont[95][5] = {
    {0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x5F, 0x00, 0x00}, {0x00, 0x07, 0x00, 0x07, 0x00},
    {0x14, 0x7F, 0x14, 0x7F, 0x14}, {0x24, 0x2A, 0x7F, 0x2A, 0x12}, {0x23, 0x13, 0x08, 0x64, 0x62},
    {0x36, 0x49, 0x56, 0x20, 0x50}, {0x00, 0x08, 0x07, 0x03, 0x00}, {0x00, 0x1C, 0x22, 0x41, 0x00},
    {0x00, 0x41, 0x22, 0x1C, 0x00}, {0x2A, 0x1C, 0x7F, 0x1C, 0x2A}, {0x08, 0x08, 0x3E, 0x08, 0x08},
    {0x00, 0x80, 0x70, 0x30, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08}, {0x00, 0x00, 0x60, 0x60, 0x00},
    {0x20, 0x10, 0x08, 0x04, 0x02}, {0x3E, 0x51, 0x49, 0x45, 0x3E}, {0x00, 0x42, 0x7F, 0x40, 0x00},
    {0x72, 0x49, 0x49, 0x49, 0x46}, {0x21, 0x41, 0x49, 0x4D, 0x33}, {0x18, 0x14, 0x12, 0x7F, 0x10},
    {0x27, 0x45, 0x45, 0x45, 0x39}, {0x3C, 0x4A, 0x49, 0x49, 0x31}, {0x41, 0x21, 0x11, 0x09, 0x07},
    {0x36, 0x49, 0x49, 0x49, 0x36}, {0x46, 0x49, 0x49, 0x29, 0x1E}, {0x00, 0x00, 0x14, 0x00, 0x00},
    {0x00, 0x40, 0x34, 0x00, 0x00}, {0x00, 0x08, 0x14, 0x22, 0x41}, {0x14, 0x14, 0x14, 0x14, 0x14},
    {0x00, 0x41, 0x22, 0x14, 0x08}, {0x02, 0x01, 0x59, 0x09, 0x06}, {0x3E, 0x41, 0x5D, 0x59, 0x4E},
    {0x7C, 0x12, 0x11, 0x12, 0x7C}, {0x7F, 0x49, 0x49, 0x49, 0x36}, {0x3E, 0x41, 0x41, 0x41, 0x22},
    {0x7F, 0x41, 0x41, 0x41, 0x3E}, {0x7F, 0x49, 0x49, 0x49, 0x41}, {0x7F, 0x09, 0x09, 0x09, 0x01},
    {0x3E, 0x41, 0x41, 0x51, 0x73}, {0x7F, 0x08, 0x08, 0x08, 0x7F}, {0x00, 0x41, 0x7F, 0x41, 0x00},
    {0x20, 0x40, 0x41, 0x3F, 0x01}, {0x7F, 0x08, 0x14, 0x22, 0x41}, {0x7F, 0x40, 0x40, 0x40, 0x40},
    {0x7F, 0x02, 0x1C, 0x02, 0x7F}, {0x7F, 0x04, 0x08, 0x10, 0x7F}, {0x3E, 0x41, 0x41, 0x41, 0x3E},
    {0x7F, 0x09, 0x09, 0x09, 0x06}, {0x3E, 0x41, 0x51, 0x21, 0x5E}, {0x7F, 0x09, 0x19, 0x29, 0x46},
    {0x26, 0x49, 0x49, 0x49, 0x32}, {0x03, 0x01, 0x7F, 0x01, 0x03}, {0x3F, 0x40, 0x40, 0x40, 0x3F},
    {0x1F, 0x20, 0x40, 0x20, 0x1F}, {0x3F, 0x40, 0x38, 0x40, 0x3F}, {0x63, 0x14, 0x08, 0x14, 0x63},
    {0x03, 0x04, 0x78, 0x04, 0x03}, {0x61, 0x59, 0x49, 0x4D, 0x43}, {0x00, 0x7F, 0x41, 0x41, 0x41},
    {0x02, 0x04, 0x08, 0x10, 0x20}, {0x00, 0x41, 0x41, 0x41, 0x7F}, {0x04, 0x02, 0x01, 0x02, 0x04},
    {0x40, 0x40, 0x40, 0x40, 0x40}, {0x00, 0x03, 0x07, 0x08, 0x00}, {0x20, 0x54, 0x54, 0x78, 0x40},
    {0x7F, 0x28, 0x44, 0x44, 0x38}, {0x38, 0x44, 0x44, 0x44, 0x28}, {0x38, 0x44, 0x44, 0x28, 0x7F},
    {0x38, 0x54, 0x54, 0x54, 0x18}, {0x00, 0x08, 0x7E, 0x09, 0x02}, {0x18, 0xA4, 0xA4, 0x9C, 0x78},
    {0x7F, 0x08, 0x04, 0x04, 0x78}, {0x00, 0x44, 0x7D, 0x40, 0x00}, {0x20, 0x40, 0x40, 0x3D, 0x00},
    {0x7F, 0x10, 0x28, 0x44, 0x00}, {0x00, 0x41, 0x7F, 0x40, 0x00}, {0x7C, 0x04, 0x78, 0x04, 0x78},
    {0x7C, 0x08, 0x04, 0x04, 0x78}, {0x38, 0x44, 0x44, 0x44, 0x38}, {0xFC, 0x18, 0x24, 0x24, 0x18},
    {0x18, 0x24, 0x24, 0x18, 0xFC}, {0x7C, 0x08, 0x04, 0x04, 0x08}, {0x48, 0x54, 0x54, 0x54, 0x24},
    {0x04, 0x04, 0x3F, 0x44, 0x24}, {0x3C, 0x40, 0x40, 0x20, 0x7C}, {0x1C, 0x20, 0x40, 0x20, 0x1C},
    {0x3C, 0x40, 0x30, 0x40, 0x3C}, {0x44, 0x28, 0x10, 0x28, 0x44}, {0x4C, 0x90, 0x90, 0x90, 0x7C},
    {0x44, 0x64, 0x54, 0x4C, 0x44}, {0x00, 0x08, 0x36, 0x41, 0x00}, {0x00, 0x00, 0x77, 0x00, 0x00},
    {0x00, 0x41, 0x36, 0x08, 0x00}, {0x02, 0x01, 0x02, 0x04, 0x02}};

bool Finite(SPointF p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// A coordinate as a pixel index held to 0..last (converted only once it is in range).
int Clamped(double v, int last) {
    return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(last)));
}

}  // namespace

CRasterPainter::CRasterPainter(int w, int h)
    : width(w > 0 && w <= kMaxSide && h > 0 && h <= kMaxSide ? w : 0),
      height(width ? h : 0),
      rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0) {}

void CRasterPainter::Blend(int x, int y, SColor c) {
    if (x < 0 || y < 0 || x >= width || y >= height || c.a == 0) return;
    uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    if (c.a == 255) {
        p[0] = c.r, p[1] = c.g, p[2] = c.b;
        return;
    }
    const int a = c.a;
    p[0] = static_cast<uint8_t>((c.r * a + p[0] * (255 - a)) / 255);
    p[1] = static_cast<uint8_t>((c.g * a + p[1] * (255 - a)) / 255);
    p[2] = static_cast<uint8_t>((c.b * a + p[2] * (255 - a)) / 255);
}

SColor CRasterPainter::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {};
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return {p[0], p[1], p[2], 255};
}

void CRasterPainter::Clear(SColor c) {
    for (size_t i = 0; i < rgb.size(); i += 3)
        rgb[i] = c.r, rgb[i + 1] = c.g, rgb[i + 2] = c.b;
}

void CRasterPainter::Line(SPointF a, SPointF b, SColor c, double lineWidth) {
    if (!Finite(a) || !Finite(b) || width == 0) return;
    const double half = std::max(0.5, lineWidth / 2.0);
    const double margin = half + 1;
    // Nothing of a line wholly outside the picture is drawn (and no time spent on it).
    if (std::max(a.x, b.x) < -margin || std::min(a.x, b.x) > width + margin ||
        std::max(a.y, b.y) < -margin || std::min(a.y, b.y) > height + margin)
        return;
    if (lineWidth <= 1.5) {
        // One pixel wide: step along the longer axis, clipped to the picture.
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double steps = std::ceil(std::max(std::fabs(dx), std::fabs(dy)));
        if (steps > 4.0 * (width + height)) {
            // A line far longer than the picture: only the part near it is walked.
            double t0 = 0, t1 = 1;
            auto clip = [&](double p, double q) {
                if (p == 0) return q >= 0;
                const double r = q / p;
                if (p < 0)
                    t0 = std::max(t0, r);
                else
                    t1 = std::min(t1, r);
                return t0 <= t1;
            };
            if (!clip(-dx, a.x + 1) || !clip(dx, width + 1 - a.x) || !clip(-dy, a.y + 1) ||
                !clip(dy, height + 1 - a.y))
                return;
            Line({a.x + t0 * dx, a.y + t0 * dy}, {a.x + t1 * dx, a.y + t1 * dy}, c, lineWidth);
            return;
        }
        const int n = std::max(1, static_cast<int>(steps));
        for (int i = 0; i <= n; ++i) {
            const double t = static_cast<double>(i) / n;
            Blend(static_cast<int>(std::floor(a.x + t * dx)),
                  static_cast<int>(std::floor(a.y + t * dy)), c);
        }
        return;
    }
    const int x0 = Clamped(std::floor(std::min(a.x, b.x) - half), width - 1);
    const int x1 = Clamped(std::ceil(std::max(a.x, b.x) + half), width - 1);
    const int y0 = Clamped(std::floor(std::min(a.y, b.y) - half), height - 1);
    const int y1 = Clamped(std::ceil(std::max(a.y, b.y) + half), height - 1);
    const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double px = x + 0.5 - a.x, py = y + 0.5 - a.y;
            const double t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
            const double ex = px - t * dx, ey = py - t * dy;
            if (ex * ex + ey * ey <= half * half) Blend(x, y, c);
        }
}

void CRasterPainter::Circle(SPointF centre, double radius, SColor c, double lineWidth,
                            std::optional<SColor> fill) {
    if (!Finite(centre) || !std::isfinite(radius) || radius < 0 || width == 0) return;
    const double half = std::max(0.5, lineWidth / 2.0);
    const double outer = radius + half;
    if (centre.x + outer < 0 || centre.x - outer > width || centre.y + outer < 0 ||
        centre.y - outer > height)
        return;
    const int x0 = Clamped(std::floor(centre.x - outer), width - 1);
    const int x1 = Clamped(std::ceil(centre.x + outer), width - 1);
    const int y0 = Clamped(std::floor(centre.y - outer), height - 1);
    const int y1 = Clamped(std::ceil(centre.y + outer), height - 1);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double d = std::hypot(x + 0.5 - centre.x, y + 0.5 - centre.y);
            if (std::fabs(d - radius) <= half)
                Blend(x, y, c);
            else if (fill && d < radius)
                Blend(x, y, *fill);
        }
}

void CRasterPainter::Text(SPointF at, const std::string& text, SColor c) {
    if (!Finite(at) || std::fabs(at.x) > 1e6 || std::fabs(at.y) > 1e6) return;
    int x = static_cast<int>(std::lround(at.x));
    const int y = static_cast<int>(std::lround(at.y));
    for (unsigned char ch : text) {
        const int index = ch >= 32 && ch <= 126 ? ch - 32 : '?' - 32;
        for (int col = 0; col < 5; ++col)
            for (int row = 0; row < 8; ++row)
                if (kFont[index][col] & (1 << row)) Blend(x + col, y + row, c);
        x += 6;
        if (x > width) break;
    }
}

void CRasterPainter::Image(const SRgbaImage& image, SPointF topLeft, double sx, double sy) {
    if (!image.IsValid() || !Finite(topLeft) || !std::isfinite(sx) || !std::isfinite(sy) ||
        sx == 0 || sy == 0 || width == 0)
        return;
    const double xa = topLeft.x, xb = topLeft.x + sx * image.width;
    const double ya = topLeft.y, yb = topLeft.y + sy * image.height;
    if (!std::isfinite(xb) || !std::isfinite(yb) || std::max(xa, xb) < 0 ||
        std::min(xa, xb) > width || std::max(ya, yb) < 0 || std::min(ya, yb) > height)
        return;
    const int x0 = Clamped(std::floor(std::min(xa, xb)), width - 1);
    const int x1 = Clamped(std::ceil(std::max(xa, xb)), width - 1);
    const int y0 = Clamped(std::floor(std::min(ya, yb)), height - 1);
    const int y1 = Clamped(std::ceil(std::max(ya, yb)), height - 1);
    for (int y = y0; y <= y1; ++y) {
        const double fj = std::floor((y + 0.5 - topLeft.y) / sy);
        if (!(fj >= 0 && fj < image.height)) continue;
        const int j = static_cast<int>(fj);
        const uint8_t* row = &image.pixels[static_cast<size_t>(j) * image.width * 4];
        for (int x = x0; x <= x1; ++x) {
            const double fi = std::floor((x + 0.5 - topLeft.x) / sx);
            if (!(fi >= 0 && fi < image.width)) continue;
            const int i = static_cast<int>(fi);
            const uint8_t* p = row + static_cast<size_t>(i) * 4;
            Blend(x, y, {p[0], p[1], p[2], p[3]});
        }
    }
}

std::string CRasterPainter::Png() const {
    return EncodePng(width, height, rgb.data());
}
