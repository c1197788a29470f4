#include "scan/ScanMap.h"

#include <algorithm>
#include <cmath>

#include "obs/IonObs.h"
#include "obs/RawADObs.h"
#include "obs/WireObs.h"
#include "platform/Format.h"
#include "scan/ScanDoc.h"

namespace {

// The map draws at most this many grid points; a larger grid is still outlined by its area.
constexpr size_t kMaxGridPoints = 250000;

double AxisPosition(double a, double b, int k, int n, int stepType) {
    if (n < 2) return a;
    const double span = b - a;
    const double sign = span < 0 ? -1.0 : 1.0;
    const bool logSpacing =
        stepType == kStepLogGrid || stepType == kStepLogInc || stepType == kStepLogDec;
    if (!logSpacing) return a + span * k / (n - 1);
    if (std::fabs(span) < 0.0001) return a;
    const double lnSpan = std::log(std::fabs(span));
    if (stepType == kStepLogDec) {
        if (k == 0) return a;
        return b - sign * std::exp(lnSpan * (n - 1 - k) / (n - 1));
    }
    if (k == n - 1) return b;
    return a + sign * std::exp(lnSpan * k / (n - 1));
}

const CDVector4& PositionOf(const CVelmObs& obs, const CScanDoc& doc) {
    return doc.scanTool == kScanToolSample ? obs.samplePosition : obs.probePosition;
}

}  // namespace

std::vector<double> MapAxisPositions(double a, double b, int n, int stepType) {
    std::vector<double> out;
    n = std::max(n, 1);
    out.reserve(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
        out.push_back(AxisPosition(a, b, k, n, stepType));
    return out;
}

SRgb MapColorRamp(double f) {
    f = std::clamp(std::isfinite(f) ? f : 0.0, 0.0, 1.0);
    auto channel = [](double v) { return static_cast<uint8_t>(std::lround(255.0 * v)); };
    if (f < 0.5) return SRgb{0, channel(f * 2.0), channel(1.0 - f * 2.0)};
    return SRgb{channel((f - 0.5) * 2.0), channel(1.0 - (f - 0.5) * 2.0), 0};
}

SScanMap BuildScanMap(const CScanDoc& doc) {
    SScanMap map;
    const double x0 = doc.origin.x + doc.start.x, x1 = doc.origin.x + doc.end.x;
    const double y0 = doc.origin.y + doc.start.y, y1 = doc.origin.y + doc.end.y;
    map.left = std::min(x0, x1);
    map.right = std::max(x0, x1);
    map.bottom = std::min(y0, y1);
    map.top = std::max(y0, y1);

    // The grid's points (X and Y; the other two axes do not show on the map).
    const bool grid = doc.stepType == kStepGrid || doc.stepType == kStepLogGrid;
    if (grid) {
        const int nx = std::max(doc.steps.x, 1), ny = std::max(doc.steps.y, 1);
        if (static_cast<size_t>(nx) * static_cast<size_t>(ny) <= kMaxGridPoints) {
            const std::vector<double> xs = MapAxisPositions(x0, x1, nx, doc.stepType);
            const std::vector<double> ys = MapAxisPositions(y0, y1, ny, doc.stepType);
            for (double y : ys)
                for (double x : xs)
                    map.grid.push_back({x, y});
        }
    } else {
        const int n = std::min(std::max(doc.numPoints, 2), static_cast<int>(kMaxGridPoints));
        const std::vector<double> xs = MapAxisPositions(x0, x1, n, doc.stepType);
        const std::vector<double> ys = MapAxisPositions(y0, y1, n, doc.stepType);
        for (int k = 0; k < n; ++k)
            map.grid.push_back({xs[static_cast<size_t>(k)], ys[static_cast<size_t>(k)]});
    }

    // The spacing an arrow may take: the smaller step of the grid, or a tenth of the area.
    double spacing = 0.0;
    auto consider = [&spacing](double span, int n) {
        if (n >= 2 && std::fabs(span) > 0.0) {
            const double step = std::fabs(span) / (n - 1);
            spacing = spacing > 0.0 ? std::min(spacing, step) : step;
        }
    };
    if (grid) {
        consider(x1 - x0, doc.steps.x);
        consider(y1 - y0, doc.steps.y);
    } else {
        consider(std::hypot(x1 - x0, y1 - y0), std::max(doc.numPoints, 2));
    }
    if (spacing <= 0.0) spacing = std::max({map.right - map.left, map.top - map.bottom, 10.0}) / 10;

    // The scan's calibration: a calibration without gains gives no densities, and the arrows
    // then show the probe's in-phase microvolts instead.
    const CWireCalibration& cal = doc.wireCal;
    map.calibrated =
        cal.XXuAperV != 0.0 || cal.XYuAperV != 0.0 || cal.YXuAperV != 0.0 || cal.YYuAperV != 0.0;
    double rawMin[2] = {0, 0}, rawMax[2] = {0, 0};
    bool rawSeen[2] = {false, false};
    std::vector<int> dotKind;
    for (const auto& owned : doc.Observations()) {
        const CVelmObs& obs = *owned;
        const CDVector4& p = PositionOf(obs, doc);
        if (const auto* wire = dynamic_cast<const CWireObs*>(&obs)) {
            double dx, dy;
            if (map.calibrated) {
                const CDVector4 j = cal.ComputeCurrentDensity(*wire, true);
                dx = j.x;
                dy = j.y;
            } else {
                const CDVector4 uv = cal.ComputeCurrentDensity(*wire, false);
                dx = uv.x;
                dy = uv.z;
            }
            if (!std::isfinite(dx) || !std::isfinite(dy)) dx = dy = 0.0;
            SMapArrow arrow;
            arrow.tail = {p.x, p.y};
            arrow.head = {dx, dy};  // the vector for now; scaled below
            arrow.magnitude = std::hypot(dx, dy);
            map.largest = std::max(map.largest, arrow.magnitude);
            map.arrows.push_back(arrow);
            continue;
        }
        int kind = -1;
        double value = 0.0;
        bool has = false;
        if (dynamic_cast<const CIonObs*>(&obs)) {
            kind = 0;
            has = obs.GetValue(value, ValueCode::kTotalCurrentDensity, &doc, nullptr) != 0;
        } else if (const auto* raw = dynamic_cast<const CRawADObs*>(&obs)) {
            // Its first channel (a burst has no single value: a grey dot).
            kind = 1;
            SValueQuery query;
            query.rawADChannel = raw->rules.FirstChan;
            has = obs.GetValue(value, ValueCode::kChannel, &doc, &query) != 0;
        }
        if (kind < 0) continue;
        has = has && std::isfinite(value);
        if (has) {
            rawMin[kind] = rawSeen[kind] ? std::min(rawMin[kind], value) : value;
            rawMax[kind] = rawSeen[kind] ? std::max(rawMax[kind], value) : value;
            rawSeen[kind] = true;
        }
        map.dots.push_back({{p.x, p.y}, SRgb{128, 128, 128}, value, has});
        dotKind.push_back(kind);
    }
    map.arrowUnit = spacing * 0.9;
    for (SMapArrow& arrow : map.arrows) {
        const double f = map.largest > 0.0 ? map.arrowUnit / map.largest : 0.0;
        arrow.head = {arrow.tail.x + arrow.head.x * f, arrow.tail.y + arrow.head.y * f};
    }
    for (size_t i = 0; i < map.dots.size(); ++i) {
        SMapDot& dot = map.dots[i];
        if (!dot.hasValue) continue;
        const int kind = dotKind[i];
        const double range = rawMax[kind] - rawMin[kind];
        dot.color = MapColorRamp(range > 0.0 ? (dot.value - rawMin[kind]) / range : 0.5);
    }

    // What the view shows: the area, every grid point and every point taken, with a margin of
    // an arrow's length.
    double l = map.left, r = map.right, b = map.bottom, t = map.top;
    auto include = [&](const SMapPoint& q) {
        l = std::min(l, q.x);
        r = std::max(r, q.x);
        b = std::min(b, q.y);
        t = std::max(t, q.y);
    };
    for (const SMapArrow& a : map.arrows) {
        include(a.tail);
        include(a.head);
    }
    for (const SMapDot& d : map.dots)
        include(d.at);
    const double margin = std::max({spacing, (r - l) * 0.05, (t - b) * 0.05});
    map.viewLeft = l - margin;
    map.viewRight = r + margin;
    map.viewBottom = b - margin;
    map.viewTop = t + margin;

    const char* unit = map.calibrated ? "uA/sq.cm" : "uV at tip";
    if (map.arrows.empty() && map.dots.empty())
        map.legend = StrPrintf("%zu grid points; no observations yet", map.grid.size());
    else
        map.legend = StrPrintf(
            "%zu CDP points, longest arrow %.3g %s; %zu gradient or raw A/D "
            "points",
            map.arrows.size(), map.largest, unit, map.dots.size());
    return map;
}
