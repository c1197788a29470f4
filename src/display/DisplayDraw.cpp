#include "display/DisplayDraw.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "display/Contour.h"
#include "display/DispDoc.h"
#include "hw/FgBoard.h"
#include "obs/DataDocument.h"
#include "obs/IonCalibration.h"
#include "obs/SampRulesIon.h"
#include "obs/WireCalibration.h"
#include "platform/Format.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// The CDP reference's value kind (drawn in the reference colour).
constexpr int kReferenceKind = 3;

SColor Rgb(const std::array<int, 3>& c) {
    auto clamp = [](int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); };
    return {clamp(c[0]), clamp(c[1]), clamp(c[2]), 255};
}

// One observation as a layer sees it.
struct SDataPoint {
    double x = 0.0, y = 0.0, z = 0.0, w = 0.0;  // world microns
    double v = 0.0;                             // value, or magnitude of a vector
    double vx = 0.0, vy = 0.0;                  // vector components
    bool vector = false;
    int kind = 0;
    int64_t time = 0;
};

bool IsVectorQuantity(int quantity) {
    return quantity == ValueCode::kVector2D || quantity == ValueCode::kXYVector;
}

template <class T>
const T* ObjectAt(const CDataDocument& doc, int index) {
    if (index < 0 || static_cast<size_t>(index) >= doc.GetObsCount()) return nullptr;
    return dynamic_cast<const T*>(doc.GetObsAt(static_cast<size_t>(index)));
}

std::vector<SDataPoint> CollectPoints(const CDataDispLayer& layer) {
    std::vector<SDataPoint> points;
    const CDataDocument* doc = layer.sourceDoc;
    if (!doc) return points;
    SValueQuery query;
    query.sampleNumber = layer.sampleNumber;
    query.gradSample1 = layer.gradSample1;
    query.gradSample2 = layer.gradSample2;
    query.repFirst = layer.repFirst;
    query.repLast = layer.repLast;
    query.subtractReference = layer.applyIonRef;
    query.rawADChannel = layer.rawADChannel;
    // An index that is out of the list or names another class means "the one in force".
    query.wireCalibration = ObjectAt<CWireCalibration>(*doc, layer.indexWireCal);
    query.ionRules = ObjectAt<CSampRulesIon>(*doc, layer.indexRulesIon);
    query.ionCalibration = ObjectAt<CIonCalibration>(*doc, layer.indexIonCal);
    const bool vector = IsVectorQuantity(layer.quantity);
    for (const auto& obs : doc->Observations()) {
        if (!layer.InTimeRange(obs->time)) continue;
        SDataPoint p;
        if (vector) {
            double vx = 0.0, vy = 0.0;
            const int kx = obs->GetValue(vx, ValueCode::kXCurrentDensity, doc, &query);
            const int ky = obs->GetValue(vy, ValueCode::kYCurrentDensity, doc, &query);
            if (kx == 0 || ky == 0) continue;
            p.vector = true;
            p.vx = vx, p.vy = vy;
            p.v = std::hypot(vx, vy);
            p.kind = kx;
        } else {
            p.kind = obs->GetValue(p.v, layer.quantity, doc, &query);
            if (p.kind == 0) continue;
        }
        if (!std::isfinite(p.v) || !std::isfinite(p.vx) || !std::isfinite(p.vy)) continue;
        const CDVector4 at = obs->probePosition - obs->samplePosition - layer.offset;
        p.x = at.x, p.y = at.y, p.z = at.z, p.w = at.w;
        p.time = obs->time;
        points.push_back(p);
    }
    return points;
}

// The layer's scale s (pixels = |v| / s * scaleToPixels) and the value range of colours.
struct SScale {
    double s = 0.0;
    double lo = 0.0, hi = 0.0;  // Min-Max range
    bool ok = false;
};

SScale ScaleOf(const CDataDispLayer& layer, const std::vector<SDataPoint>& points) {
    SScale sc;
    double largest = 0.0, lo = 0.0, hi = 0.0;
    bool any = false;
    for (const SDataPoint& p : points) {
        largest = std::max(largest, std::fabs(p.v));
        lo = any ? std::min(lo, p.v) : p.v;
        hi = any ? std::max(hi, p.v) : p.v;
        any = true;
    }
    if (layer.scaleType == kScaleMinMax) {
        // Automatic scales over no values keep the stored ones.
        sc.lo = layer.autoMin && any ? lo : layer.minValue;
        sc.hi = layer.autoMax && any ? hi : layer.maxValue;
        sc.s = std::max(std::fabs(sc.lo), std::fabs(sc.hi));
    } else {
        sc.s = layer.autoScalar && any && largest > 0 ? largest : layer.scalarValue;
        sc.lo = -sc.s;
        sc.hi = sc.s;
    }
    sc.ok = std::isfinite(sc.s) && sc.s > 0 && std::isfinite(sc.lo) && std::isfinite(sc.hi) &&
            layer.scaleToPixels > 0;
    return sc;
}

class CLayerPen {
  public:
    CLayerPen(const CDataDispLayer& layer, CPainter& painter, const SScale& scale)
        : layer(layer), painter(painter), scale(scale) {}

    SColor ColourOf(const SDataPoint& p) const {
        if (layer.lineColorMode == kColorPseudo) {
            double f;
            if (p.vector)
                f = p.v / scale.s;
            else if (layer.scaleType == kScaleMinMax)
                f = scale.hi > scale.lo ? (p.v - scale.lo) / (scale.hi - scale.lo) : 0.5;
            else
                f = (p.v + scale.s) / (2 * scale.s);
            return PseudoColour(f);
        }
        if (p.kind == kReferenceKind) return Rgb(layer.refColor);
        return p.vector || p.v >= 0 ? Rgb(layer.posColor) : Rgb(layer.negColor);
    }
    double Width() const { return std::max(1, layer.lineWidth); }
    double HaloWidth() const { return Width() + 2.0 * std::max(0, layer.backWidth); }
    SColor Back() const { return Rgb(layer.backColor); }

    // A line with its halo first when the layer has one.
    void Line(SPointF a, SPointF b, SColor c) const {
        if (layer.backOn) painter.Line(a, b, Back(), HaloWidth());
        painter.Line(a, b, c, Width());
    }
    void Lines(const std::vector<std::pair<SPointF, SPointF>>& lines, SColor c) const {
        if (layer.backOn)
            for (const auto& l : lines)
                painter.Line(l.first, l.second, Back(), HaloWidth());
        for (const auto& l : lines)
            painter.Line(l.first, l.second, c, Width());
    }
    // An arrow from tail to tip with its head lines.
    void Arrow(SPointF tail, SPointF tip, SColor c, bool head) const {
        std::vector<std::pair<SPointF, SPointF>> lines{{tail, tip}};
        const double dx = tip.x - tail.x, dy = tip.y - tail.y;
        const double length = std::hypot(dx, dy);
        if (head && length > 0) {
            const double hl = layer.headLength / 100.0 * length;
            const double ux = -dx / length, uy = -dy / length;  // back along the shaft
            for (double sign : {1.0, -1.0}) {
                const double a = sign * layer.headAngle * kPi / 180.0;
                const double rx = ux * std::cos(a) - uy * std::sin(a);
                const double ry = ux * std::sin(a) + uy * std::cos(a);
                lines.push_back({tip, {tip.x + rx * hl, tip.y + ry * hl}});
            }
        }
        Lines(lines, c);
    }

  private:
    const CDataDispLayer& layer;
    CPainter& painter;
    const SScale& scale;
};

double Sign(double v) {
    return v < 0 ? -1.0 : 1.0;
}

void DrawVectors(const CDataDispLayer& layer, const CDisplayFrame& frame, CPainter& painter,
                 const std::vector<SDataPoint>& points, const SScale& scale) {
    const CLayerPen pen(layer, painter, scale);
    const double diagonal = std::hypot(frame.Width(), frame.Height());
    const double sx = Sign(frame.PixelsPerMicronX()), sy = Sign(frame.PixelsPerMicronY());
    for (const SDataPoint& p : points) {
        double dx, dy, length;
        if (p.vector) {
            if (p.v == 0) continue;
            dx = p.vx / p.v * sx;
            dy = p.vy / p.v * sy;
            length = p.v / scale.s * layer.scaleToPixels;
        } else if (layer.quantity == ValueCode::kAngle) {
            const double a = p.v * kPi / 180.0;
            dx = std::cos(a) * sx;
            dy = std::sin(a) * sy;
            length = layer.scaleToPixels;
        } else {
            const bool alongX = layer.vectorAxis != kAxisY;
            dx = alongX ? Sign(p.v) * sx : 0.0;
            dy = alongX ? 0.0 : Sign(p.v) * sy;
            length = std::fabs(p.v) / scale.s * layer.scaleToPixels;
        }
        length = std::min(length, diagonal);
        const SPointF at = frame.ToPixel(p.x, p.y);
        SPointF tail = at, tip{at.x + dx * length, at.y + dy * length};
        if (layer.vectorOrigin == kOriginHead) {
            tip = at;
            tail = {at.x - dx * length, at.y - dy * length};
        }
        pen.Arrow(tail, tip, pen.ColourOf(p), !layer.headOn);
    }
}

void DrawCircles(const CDataDispLayer& layer, const CDisplayFrame& frame, CPainter& painter,
                 const std::vector<SDataPoint>& points, const SScale& scale) {
    const CLayerPen pen(layer, painter, scale);
    const double diagonal = std::hypot(frame.Width(), frame.Height());
    const bool pseudo = layer.lineColorMode == kColorPseudo;
    for (const SDataPoint& p : points) {
        const double r = std::min(std::fabs(p.v) / scale.s * layer.scaleToPixels, diagonal);
        const SPointF at = frame.ToPixel(p.x, p.y);
        const SColor c = pen.ColourOf(p);
        if (layer.backOn) painter.Circle(at, r, pen.Back(), pen.HaloWidth(), std::nullopt);
        painter.Circle(at, r, c, pen.Width(), pseudo ? std::optional<SColor>(c) : std::nullopt);
    }
}

void DrawSheet(const CDataDispLayer& layer, const CDisplayFrame& frame, CPainter& painter,
               const std::vector<SDataPoint>& points, const SScale& scale) {
    if (points.empty()) return;
    const CLayerPen pen(layer, painter, scale);
    const double rot = layer.sheetRotation * kPi / 180.0;
    const double tilt = std::cos(layer.sheetTilt * kPi / 180.0);
    const double diagonal = std::hypot(frame.Width(), frame.Height());
    std::vector<SPointF> nodes;
    for (const SDataPoint& p : points) {
        const double x = p.x * std::cos(rot) - p.y * std::sin(rot);
        const double y = (p.x * std::sin(rot) + p.y * std::cos(rot)) * tilt;
        SPointF at = frame.ToPixel(x, y);
        at.y -= std::clamp(p.v / scale.s * layer.scaleToPixels, -diagonal, diagonal);
        nodes.push_back(at);
    }
    // Scan lines: consecutive points, broken where a step is much longer than the usual one.
    std::vector<double> steps;
    for (size_t i = 1; i < points.size(); ++i)
        steps.push_back(std::hypot(points[i].x - points[i - 1].x, points[i].y - points[i - 1].y));
    double median = 0.0;
    if (!steps.empty()) {
        std::vector<double> sorted = steps;
        std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 2),
                         sorted.end());
        median = sorted[sorted.size() / 2];
    }
    std::vector<std::vector<size_t>> lines(1);
    lines[0].push_back(0);
    for (size_t i = 1; i < points.size(); ++i) {
        if (steps[i - 1] > 1.5 * median) lines.emplace_back();
        lines.back().push_back(i);
    }
    const SColor pos = Rgb(layer.posColor), neg = Rgb(layer.negColor);
    for (const auto& line : lines)
        for (size_t k = 1; k < line.size(); ++k) {
            const SDataPoint& a = points[line[k - 1]];
            const SDataPoint& b = points[line[k]];
            pen.Line(nodes[line[k - 1]], nodes[line[k]], a.v + b.v >= 0 ? pos : neg);
        }
    // Cross lines from each node to the nearest node of the line before: a wire mesh.
    for (size_t l = 1; l < lines.size(); ++l)
        for (size_t i : lines[l]) {
            size_t best = lines[l - 1].front();
            double bestD = -1;
            for (size_t j : lines[l - 1]) {
                const double d = std::hypot(points[i].x - points[j].x, points[i].y - points[j].y);
                if (bestD < 0 || d < bestD) bestD = d, best = j;
            }
            pen.Line(nodes[best], nodes[i], points[i].v + points[best].v >= 0 ? pos : neg);
        }
}

void DrawContours(const CDataDispLayer& layer, const CDisplayFrame& frame, CPainter& painter,
                  const std::vector<SDataPoint>& points, const SScale& scale) {
    std::vector<SValuePoint> values;
    values.reserve(points.size());
    for (const SDataPoint& p : points)
        values.push_back({p.x, p.y, p.v});
    const SValueGrid grid = GridFromPoints(values);
    if (grid.Empty()) return;
    const std::vector<double> levels =
        layer.contourType == kContourLevels
            ? layer.contourLevels
            : AutoContourLevels(scale.lo, scale.hi, layer.numAutoContours);
    const CLayerPen pen(layer, painter, scale);
    for (double level : levels) {
        SColor c;
        if (layer.lineColorMode == kColorPseudo)
            c = PseudoColour(scale.hi > scale.lo ? (level - scale.lo) / (scale.hi - scale.lo)
                                                 : 0.5);
        else
            c = level > 0   ? Rgb(layer.posColor)
                : level < 0 ? Rgb(layer.negColor)
                            : Rgb(layer.refColor);
        std::vector<std::pair<SPointF, SPointF>> lines;
        TraceContour(grid, level, [&](double x1, double y1, double x2, double y2) {
            lines.push_back({frame.ToPixel(grid.x0 + x1 * grid.dx, grid.y0 + y1 * grid.dy),
                             frame.ToPixel(grid.x0 + x2 * grid.dx, grid.y0 + y2 * grid.dy)});
        });
        pen.Lines(lines, c);
        if (layer.showLabels && !lines.empty()) {
            const auto& mid = lines[lines.size() / 2];
            painter.Text({(mid.first.x + mid.second.x) / 2, (mid.first.y + mid.second.y) / 2},
                         StrPrintf("%.3lg", level), c);
        }
    }
}

void DrawValueGraph(const CDataDispLayer& layer, const CDisplayFrame& frame, CPainter& painter,
                    const std::vector<SDataPoint>& points, const SScale& scale) {
    const SPointF tl = frame.ToPixel(layer.graphWindow[0], layer.graphWindow[1]);
    const SPointF br = frame.ToPixel(layer.graphWindow[2], layer.graphWindow[3]);
    const double left = std::min(tl.x, br.x), right = std::max(tl.x, br.x);
    const double top = std::min(tl.y, br.y), bottom = std::max(tl.y, br.y);
    if (!(right > left) || !(bottom > top)) return;
    const SColor pos = Rgb(layer.posColor);
    const int axis = layer.graphType - kGraphX;  // 0..3 world axis, 4 time
    std::vector<std::pair<double, double>> xy;
    int64_t firstTime = 0;
    bool haveFirst = false;
    for (const SDataPoint& p : points) {
        const double at[4] = {p.x, p.y, p.z, p.w};
        bool inside = true;
        for (int k = 0; k < 4; ++k)
            inside = inside && at[k] >= std::min(layer.graphFrom[k], layer.graphTo[k]) &&
                     at[k] <= std::max(layer.graphFrom[k], layer.graphTo[k]);
        if (!inside) continue;
        if (!haveFirst) firstTime = p.time, haveFirst = true;
        const double x = axis >= 0 && axis < 4 ? at[axis] : static_cast<double>(p.time - firstTime);
        xy.push_back({x, p.v});
    }
    double x0, x1;
    if (axis >= 0 && axis < 4) {
        x0 = layer.graphFrom[axis];
        x1 = layer.graphTo[axis];
    } else {
        x0 = 0.0;
        x1 = 0.0;
        for (const auto& q : xy)
            x1 = std::max(x1, q.first);
        if (x1 <= x0) x1 = x0 + 1.0;
    }
    const double y0 = scale.lo, y1 = scale.hi;
    if (x1 == x0 || y1 == y0) return;
    auto px = [&](double x) { return left + (x - x0) / (x1 - x0) * (right - left); };
    auto py = [&](double y) { return bottom - (y - y0) / (y1 - y0) * (bottom - top); };
    const SColor grey{128, 128, 128, 255};
    const double width = std::max(1, layer.lineWidth);
    if (layer.hGrid && layer.hGridCount > 0)
        for (int i = 1; i < std::min(layer.hGridCount, 1000); ++i) {
            const double y = top + (bottom - top) * i / layer.hGridCount;
            painter.Line({left, y}, {right, y}, grey, 1);
        }
    if (layer.vGrid && layer.vGridCount > 0)
        for (int i = 1; i < std::min(layer.vGridCount, 1000); ++i) {
            const double x = left + (right - left) * i / layer.vGridCount;
            painter.Line({x, top}, {x, bottom}, grey, 1);
        }
    if (layer.showBorder)
        painter.Polyline({{left, top}, {right, top}, {right, bottom}, {left, bottom}}, pos, 1,
                         true);
    if (layer.showAxes) {
        if (y0 < 0 && y1 > 0) painter.Line({left, py(0)}, {right, py(0)}, pos, 1);
        if (std::min(x0, x1) < 0 && std::max(x0, x1) > 0)
            painter.Line({px(0), top}, {px(0), bottom}, pos, 1);
    }
    if (layer.showTicks) {
        for (int i = 0; i <= std::min(layer.ticksH, 1000) && layer.ticksH > 0; ++i) {
            const double x = left + (right - left) * i / layer.ticksH;
            painter.Line({x, bottom}, {x, bottom + 4}, pos, 1);
        }
        for (int i = 0; i <= std::min(layer.ticksV, 1000) && layer.ticksV > 0; ++i) {
            const double y = top + (bottom - top) * i / layer.ticksV;
            painter.Line({left - 4, y}, {left, y}, pos, 1);
        }
    }
    if (layer.showLabels) {
        const int lh = painter.LineHeight();
        painter.Text({left, bottom + 4}, StrPrintf("%.3lg", x0), pos);
        painter.Text({right - 40, bottom + 4}, StrPrintf("%.3lg", x1), pos);
        painter.Text({left - 48, top}, StrPrintf("%.3lg", y1), pos);
        painter.Text({left - 48, bottom - lh}, StrPrintf("%.3lg", y0), pos);
        painter.Text({left, top - lh}, layer.units, pos);
    }
    std::sort(xy.begin(), xy.end());
    std::vector<SPointF> line;
    for (const auto& q : xy)
        line.push_back({px(q.first), py(std::clamp(q.second, std::min(y0, y1), std::max(y0, y1)))});
    painter.Polyline(line, pos, width);
    for (const SPointF& p : line)
        painter.Circle(p, 2, pos, 1, pos);
}

void DrawScaleBar(const CDataDispLayer& layer, const CDisplayFrame& frame, CPainter& painter,
                  const SScale& scale) {
    if (!layer.scaleBarHorz && !layer.scaleBarVert) return;
    const CLayerPen pen(layer, painter, scale);
    const SColor c = Rgb(layer.posColor);
    const double length = std::min(std::fabs(layer.scaleBarSize) / scale.s * layer.scaleToPixels,
                                   std::hypot(frame.Width(), frame.Height()));
    const SPointF at = frame.ToPixel(layer.scaleBarPos[0], layer.scaleBarPos[1]);
    if (layer.scaleBarHorz) pen.Arrow(at, {at.x + length, at.y}, c, layer.scaleBarHead);
    if (layer.scaleBarVert) pen.Arrow(at, {at.x, at.y + length}, c, layer.scaleBarHead);
    painter.Text({at.x, at.y + (layer.scaleBarVert ? length : 0) + 4},
                 StrPrintf("%g %s", layer.scaleBarSize, layer.units.c_str()), c);
}

uint8_t Grey(const CBitmapImage& image, int x, int row) {
    const uint8_t* p = image.Row(row) + static_cast<size_t>(x) * image.BytesPerPixel();
    if (image.bitsPerPixel == 24) return static_cast<uint8_t>((p[0] + 2 * p[1] + p[2]) / 4);
    if (image.palette.empty()) return p[0];
    const uint32_t c = image.palette[std::min<size_t>(p[0], image.palette.size() - 1)];
    return static_cast<uint8_t>((((c >> 16) & 255) + 2 * ((c >> 8) & 255) + (c & 255)) / 4);
}

}  // namespace

SColor PseudoColour(double f) {
    if (!std::isfinite(f)) f = 0.0;
    f = std::clamp(f, 0.0, 1.0);
    static const SColor stops[5] = {{0, 0, 255, 255},
                                    {0, 255, 255, 255},
                                    {0, 255, 0, 255},
                                    {255, 255, 0, 255},
                                    {255, 0, 0, 255}};
    const double t = f * 4.0;
    const int i = std::min(3, static_cast<int>(t));
    const double u = t - i;
    auto mix = [u](uint8_t a, uint8_t b) {
        return static_cast<uint8_t>(std::lround(a + (b - a) * u));
    };
    return {mix(stops[i].r, stops[i + 1].r), mix(stops[i].g, stops[i + 1].g),
            mix(stops[i].b, stops[i + 1].b), 255};
}

SDrawContext DrawContextFrom(const CFgBoard& grabber, const COpticalSystem& active) {
    SDrawContext context;
    context.active = active;
    context.cameraOrigin = grabber.origin0;
    context.captureWidth = grabber.captureWidth;
    context.captureHeight = grabber.captureHeight;
    return context;
}

SRgbaImage BlendedImage(const CBitmapImage& image, int blend) {
    SRgbaImage out;
    if (!image.IsValid()) return out;
    out.width = image.width;
    out.height = image.height;
    out.pixels.assign(static_cast<size_t>(out.width) * out.height * 4, 0);
    const int w = image.width, h = image.height;
    // Grey levels top row first, for the outline and threshold methods.
    std::vector<uint8_t> grey(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            grey[static_cast<size_t>(y) * w + x] = Grey(image, x, h - 1 - y);
    if (blend == kBlendOutline) {
        std::vector<float> magnitude(grey.size(), 0.0f);
        float largest = 0.0f;
        auto g = [&](int x, int y) {
            return static_cast<float>(
                grey[static_cast<size_t>(std::clamp(y, 0, h - 1)) * w + std::clamp(x, 0, w - 1)]);
        };
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const float gx = (g(x + 1, y - 1) + 2 * g(x + 1, y) + g(x + 1, y + 1)) -
                                 (g(x - 1, y - 1) + 2 * g(x - 1, y) + g(x - 1, y + 1));
                const float gy = (g(x - 1, y + 1) + 2 * g(x, y + 1) + g(x + 1, y + 1)) -
                                 (g(x - 1, y - 1) + 2 * g(x, y - 1) + g(x + 1, y - 1));
                const float m = std::sqrt(gx * gx + gy * gy);
                magnitude[static_cast<size_t>(y) * w + x] = m;
                largest = std::max(largest, m);
            }
        for (size_t i = 0; i < magnitude.size(); ++i)
            if (largest > 0 && magnitude[i] >= 0.25f * largest) {
                uint8_t* o = &out.pixels[i * 4];
                o[0] = 255, o[1] = 255, o[2] = 0, o[3] = 255;
            }
        return out;
    }
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = image.Row(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            uint8_t* o = &out.pixels[(static_cast<size_t>(y) * w + x) * 4];
            const uint8_t level = grey[static_cast<size_t>(y) * w + x];
            if (blend == kBlendThreshold) {
                if (level >= 128) o[0] = o[1] = o[2] = level, o[3] = 255;
                continue;
            }
            if (image.bitsPerPixel == 24) {
                const uint8_t* p = row + static_cast<size_t>(x) * 3;
                o[0] = p[2], o[1] = p[1], o[2] = p[0];
            } else if (image.palette.empty()) {
                o[0] = o[1] = o[2] = row[x];
            } else {
                const uint32_t c =
                    image.palette[std::min<size_t>(row[x], image.palette.size() - 1)];
                o[0] = static_cast<uint8_t>(c >> 16), o[1] = static_cast<uint8_t>(c >> 8);
                o[2] = static_cast<uint8_t>(c);
            }
            o[3] = blend == kBlendMix ? 128 : 255;
        }
    }
    return out;
}

void DrawImageLayer(const CImageDispLayer& layer, const CDisplayFrame& frame, CPainter& painter,
                    const SDrawContext& context) {
    if (!layer.image.IsValid()) return;
    const COpticalSystem& s = layer.opticalSystem;
    if (!s.Problem().empty()) return;
    const SRgbaImage rgba = BlendedImage(layer.image, layer.blend);
    // The optical axis in the system's frame pixels: the camera origin scaled from the
    // captured image, else the middle.
    double ox = s.frameWidth / 2.0, oy = s.frameHeight / 2.0;
    if (context.cameraOrigin && context.captureWidth > 0 && context.captureHeight > 0) {
        ox = context.cameraOrigin->x * static_cast<double>(s.frameWidth) / context.captureWidth;
        oy = context.cameraOrigin->y * static_cast<double>(s.frameHeight) / context.captureHeight;
    }
    const double worldX = layer.offset.x - ox * s.umPerPixelX;
    const double worldY = layer.offset.y - oy * s.umPerPixelY;
    const SPointF topLeft = frame.ToPixel(worldX, worldY);
    const double scaleX =
        s.frameWidth / static_cast<double>(rgba.width) * s.umPerPixelX * frame.PixelsPerMicronX();
    const double scaleY =
        s.frameHeight / static_cast<double>(rgba.height) * s.umPerPixelY * frame.PixelsPerMicronY();
    painter.Image(rgba, topLeft, scaleX, scaleY);
}

SLayerDrawn DrawDataLayer(const CDataDispLayer& layer, const CDisplayFrame& frame,
                          CPainter& painter) {
    SLayerDrawn drawn;
    const std::vector<SDataPoint> points = CollectPoints(layer);
    drawn.points = static_cast<int>(points.size());
    const SScale scale = ScaleOf(layer, points);
    drawn.scale = scale.s;
    if (!scale.ok) {
        drawn.noScale = true;
        return drawn;
    }
    switch (layer.method) {
        case kMethodCircle:
            DrawCircles(layer, frame, painter, points, scale);
            break;
        case kMethodSheet:
            DrawSheet(layer, frame, painter, points, scale);
            break;
        case kMethodContour:
            DrawContours(layer, frame, painter, points, scale);
            break;
        case kMethodValueGraph:
            DrawValueGraph(layer, frame, painter, points, scale);
            break;
        default:
            DrawVectors(layer, frame, painter, points, scale);
            break;
    }
    DrawScaleBar(layer, frame, painter, scale);
    return drawn;
}

void DrawDisplay(const CDispDoc& doc, CPainter& painter, const SDrawContext& context, int width,
                 int height) {
    if (width <= 0) width = doc.windowWidth;
    if (height <= 0) height = doc.windowHeight;
    painter.Clear(context.background);
    const COpticalSystem* system = &context.active;
    for (const auto& layer : doc.layers)
        if (auto* image = dynamic_cast<const CImageDispLayer*>(layer.get())) {
            system = &image->opticalSystem;
            break;
        }
    const CDisplayFrame frame(width, height, *system);
    for (const auto& layer : doc.layers) {
        if (auto* image = dynamic_cast<const CImageDispLayer*>(layer.get()))
            DrawImageLayer(*image, frame, painter, context);
        else if (auto* data = dynamic_cast<const CDataDispLayer*>(layer.get()))
            DrawDataLayer(*data, frame, painter);
    }
}
